#!/usr/bin/env bash
# Builds the release zip from the 32-bit build: Zendrix.exe, zendrix-convert.exe, Runemap.dll, the readme and the
# licence notices. Same sources, same bytes. Usage: package.sh [BUILD_DIR] (default build/win32).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/win32}
scripts/deps.sh
cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" --target release_zip -j"$(nproc)"
zip=$(ls "$build"/Zendrix-*-win32.zip)
sha256sum "$zip"
