#!/usr/bin/env bash
# Configures a native build with the benchmarks and runs them (`make bench`): fast and literal ConvertText and
# OpenCC on 1 MB of Chinese text taken from manpages-zh. Usage: scripts/bench.sh [BUILD_DIR] (default build/bench).
# Results: the console table and its ratios, and BUILD_DIR/bench.json.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
cmake --preset native -B "$build" -DZENDRIX_BENCH=ON >/dev/null
make -C "$build" -j2 bench
