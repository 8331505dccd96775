#!/usr/bin/env bash
# Prepares a Wine prefix once: a CJK font for the dialog font, and Wine-drawn window frames (Xvfb has no window
# manager). Usage: wine-prefix.sh PREFIX
set -euo pipefail
prefix=$1
[ -f "$prefix/.zendrix-ready" ] && exit 0
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
here=$(dirname "$0")
mkdir -p "$prefix"
"$here/wine-run" wineboot --init >/dev/null 2>&1 || true
for font in 宋体 SimSun NSimSun; do
    "$here/wine-run" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d 'AR PL UMing CN' /f >/dev/null 2>&1
done
"$here/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
/usr/lib/wine/wineserver64 -w || true
touch "$prefix/.zendrix-ready"
