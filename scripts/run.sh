#!/usr/bin/env bash
# Builds the program for 64-bit Windows and starts it under Wine on this desktop, in the folder that holds the
# table file Runemap.dll. Installs the Debian packages it needs first when any is missing.
# ZENDRIX_BUILD_DIR chooses another build folder (default: build/win64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${ZENDRIX_BUILD_DIR:-$root/build/win64}

if [ -z "${DISPLAY:-}" ]; then
    echo "no X display: Zendrix is a window program and Wine needs an X server to show it;" \
        "run it from a desktop session, or use xvfb-run -a scripts/run.sh for an invisible one" >&2
    exit 2
fi

scripts/deps.sh
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" --target Zendrix -j"$(nproc)"
scripts/wine-prefix.sh "$build/wineprefix"

cd "$build/bin"
WINEPREFIX="$build/wineprefix" exec "$root/scripts/wine-run" Zendrix.exe
