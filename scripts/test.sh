#!/usr/bin/env bash
# Installs what is missing, builds every preset (native, native-sanitize, win64, win32) and runs every test:
# the native suite (plain and with sanitizers), the checks in scripts/checks/, then the Windows suite under Wine inside one Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
for preset in native native-sanitize win64 win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$jobs"
done

passed=0
failed=0
failures=()
step() {  # step NAME COMMAND...: runs one suite and keeps the score
    echo "== $1"
    if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); failures+=("$1"); fi
}

step "native tests" ctest --preset native
step "native tests with sanitizers" ctest --preset native-sanitize
for check in scripts/checks/*.sh; do
    [ -e "$check" ] && step "$check" bash "$check"
done
step "Windows tests under Wine" scripts/wine-session.sh "$PWD/build/win64/wineprefix" ctest --preset win64

[ $failed -eq 0 ] || echo "Failed suites: ${failures[*]}"
echo "Suites: $passed passed, $failed failed"
[ $failed -eq 0 ]
