#!/usr/bin/env bash
# Installs what is missing, builds every preset (native, win64, win32) and runs every test:
# the native suite, then the Windows suite under Wine inside one Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
for preset in native win64 win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$jobs"
done

status=0
ctest --preset native || status=1
for check in scripts/checks/*.sh; do
    [ -e "$check" ] || continue
    echo "== $check"
    bash "$check" || status=1
done

scripts/wine-session.sh "$PWD/build/win64/wineprefix" ctest --preset win64 || status=1

[ $status -eq 0 ] && echo "All test suites passed." || echo "Some test suite FAILED."
exit $status
