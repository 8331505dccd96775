#!/usr/bin/env bash
# Prints the encoding detection figures: how often DetectEncoding names the right encoding for one-line,
# four-line, whole and 1,000-line files of GBK, Big5 and UTF-8 text taken from Debian's gettext catalogues and
# manual pages, and how often text in eight other code pages is rightly not recognised, per language, on the
# half the detector was developed on (dev) and on the other (test), with uchardet's wrong answers beside the GBK
# and UTF-8 ones and how soon the answer settles. Usage: scripts/detection-figures.sh [BUILD_DIR] (default
# build/bench).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${1:-build/bench}
cmake --preset native -B "$build" -DZENDRIX_BENCH=ON >/dev/null
make -C "$build" -j2 detection-figures
