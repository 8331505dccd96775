#!/usr/bin/env bash
# Builds every libFuzzer target (clang, native, address and undefined-behaviour sanitizers) and runs each one
# for SECONDS (default 60). Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
# The build goes to $ZENDRIX_FUZZ_BUILD (default build/fuzz). Each target starts from its seeds in
# fuzz/corpus/<target>/ and keeps what it finds in <build>/corpus/<target>/; a failing input is saved in
# <build>/artifacts/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
seconds=${1:-60}
shift || true
build=${ZENDRIX_FUZZ_BUILD:-build/fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build" -DZENDRIX_FUZZ=ON -DZENDRIX_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target fuzzers

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for exe in "$build"/fuzzers/*; do [ -x "$exe" ] && targets+=("$(basename "$exe")"); done
fi

mkdir -p "$build/artifacts"
status=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    seeds=()
    [ -d "fuzz/corpus/$target" ] && seeds=("fuzz/corpus/$target")
    echo "== $target for ${seconds}s"
    log="$build/$target.log"
    if "$build/fuzzers/$target" -max_total_time="$seconds" -max_len=1024 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" || true
        grep -E '^#[0-9]+.*DONE' "$log" | tail -1 || true
    else
        status=1
        echo "$target FAILED; see $log"
        tail -40 "$log"
    fi
done
exit $status
