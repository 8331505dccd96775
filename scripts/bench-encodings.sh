#!/usr/bin/env bash
# Files in every encoding against the previous release and OpenCC, in one run (bench/encoding_file_bench.py).
# Builds the previous release (git commit ZENDRIX_PREVIOUS, default the last one before the encodings) beside
# the bench build. Usage: scripts/bench-encodings.sh [MIB [RUNS]]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
previous=${ZENDRIX_PREVIOUS:-b4cd223}
build=build/bench
cmake --preset native -B "$build" -DZENDRIX_BENCH=ON >/dev/null
make -C "$build" -j2 zendrix-convert bench_files_data >/dev/null
if [ ! -x build/previous/bin/zendrix-convert ]; then
    rm -rf build/previous-src
    git worktree add --detach build/previous-src "$previous" >/dev/null 2>&1 ||
        git worktree add --force --detach build/previous-src "$previous" >/dev/null
    cmake -S build/previous-src -B build/previous -DCMAKE_BUILD_TYPE=Release -DZENDRIX_TESTS=OFF >/dev/null
    make -C build/previous -j2 zendrix-convert >/dev/null
    git worktree remove --force build/previous-src
fi
python3 bench/encoding_file_bench.py --bin "$build/bin" --previous build/previous/bin/zendrix-convert \
    --opencc-config "$build/bench/data/opencc-s2t-characters.json" --text "$build/bench/data/all/manpages.gbk" \
    --work "$build/bench/encodings" --mib "${1:-32}" --runs "${2:-5}"
