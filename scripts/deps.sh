#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when any is missing (idempotent).
set -euo pipefail
packages=(
    cmake make g++ clang python3 zip unzip
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64 fonts-wine xvfb xauth x11-utils imagemagick fonts-wqy-zenhei fonts-arphic-uming
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    opencc libopencc-dev manpages-zh time libuchardet-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
