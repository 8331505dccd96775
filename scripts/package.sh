#!/usr/bin/env bash
# Builds the two release zips, each with Zendrix.exe, zendrix-convert.exe, Runemap.dll, the readme and the licence
# notices: Zendrix-<version>-win64.zip from the 64-bit build, the one the tests run (for current Windows), and
# Zendrix-<version>-win32.zip from the 32-bit build (for old 32-bit systems). Same sources, same bytes.
# Usage: package.sh [BUILD_ROOT]   the builds are BUILD_ROOT/win64 and BUILD_ROOT/win32 (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-build}
scripts/deps.sh
for arch in win64 win32; do
    cmake --preset "$arch" -B "$root/$arch" >/dev/null
    cmake --build "$root/$arch" --target release_zip -j"$(nproc)"
    sha256sum "$root/$arch"/Zendrix-*-"$arch".zip
done
