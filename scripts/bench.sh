#!/usr/bin/env bash
# Configures a native build with the benchmarks and runs them: `make bench` (fast and literal ConvertText and
# OpenCC on 1 MB of Chinese text from manpages-zh), `make bench-files` (zendrix-convert on a 100 MiB file
# and a batch of 10,000 small files, each against the same program without the conversion), then
# `make bench-words` (conversion by words: speed, load time, memory, agreement with OpenCC, a 50 MB file).
# Usage: scripts/bench.sh [BUILD_DIR [TARGET...]] (default build/bench, both targets).
# Results: the console tables and their ratios, BUILD_DIR/bench.json, bench-files.json, bench-words.json and
# phrase-accuracy.json.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${1:-build/bench}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(bench bench-files bench-words)
cmake --preset native -B "$build" -DZENDRIX_BENCH=ON >/dev/null
# One target at a time: two benchmarks side by side would share the cores and spoil each other's timing.
for target in "${targets[@]}"; do
    make -C "$build" -j2 "$target"
done
