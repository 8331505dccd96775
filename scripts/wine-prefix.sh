#!/usr/bin/env bash
# Prepares a Wine prefix so that the program looks as it does on Windows: Wine's own fonts, Chinese faces for the
# dialog font 宋体 and for title bars, menus and message boxes, and Wine-drawn window frames (Xvfb has no window
# manager). Cheap to run again: the registry is written once per version of these settings.
# Usage: wine-prefix.sh PREFIX
set -euo pipefail
prefix=$1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
here=$(dirname "$0")
settings=2 # raise it when the settings below change, so that existing prefixes take them
marker=$prefix/.zendrix-ready
fonts=$prefix/drive_c/windows/Fonts

# Debian's Wine looks for its own fonts (package fonts-wine) under a path that never resolves,
# \??\Z:\usr\share\wine\../fonts, and so finds neither Marlett, whose letters 0 1 r draw the title bar's
# buttons, nor Tahoma; in the prefix's Fonts folder it does. Linked on every run: the package may come later.
link_wine_fonts() {
    [ -d "$fonts" ] || return 0
    for font in /usr/share/wine/fonts/*; do
        [ -e "$font" ] && ln -sf "$font" "$fonts/"
    done
    return 0
}

# A LOGFONTW as the registry holds it: 9 points (-12 pixels at 96 DPI, which Wine scales to the screen's),
# the weight, GB2312_CHARSET, then the face name in UTF-16 (ASCII names only) padded to 32 characters.
logfont() {
    local face=$1 weight=$2 hex i
    hex=f4ffffff000000000000000000000000$(printf '%02x%02x0000' $((weight & 255)) $((weight >> 8)))
    hex+=0000008600000000
    for ((i = 0; i < ${#face}; i++)); do hex+=$(printf '%02x00' "'${face:i:1}"); done
    while [ ${#hex} -lt 184 ]; do hex+=00; done
    echo "$hex"
}

if [ "$(cat "$marker" 2>/dev/null)" != "$settings" ]; then
    mkdir -p "$prefix"
    [ -f "$prefix/system.reg" ] || "$here/wine-run" wineboot --init >/dev/null 2>&1 || true
    link_wine_fonts
    reg() { "$here/wine-run" reg add "$@" /f >/dev/null 2>&1; }
    for font in 宋体 SimSun NSimSun; do
        reg 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d 'AR PL UMing CN'
    done
    # Tahoma has no Chinese: the title bar (bold, as Windows draws it), menus (the system menu's About item),
    # message boxes and the rest take a Chinese sans-serif face, as on Chinese Windows.
    metrics='HKCU\Control Panel\Desktop\WindowMetrics'
    reg "$metrics" /v CaptionFont /t REG_BINARY /d "$(logfont 'WenQuanYi Zen Hei' 700)"
    for name in SmCaptionFont MenuFont MessageFont StatusFont IconFont; do
        reg "$metrics" /v "$name" /t REG_BINARY /d "$(logfont 'WenQuanYi Zen Hei' 400)"
    done
    reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N
    /usr/lib/wine/wineserver64 -w || true
    echo "$settings" >"$marker"
fi
link_wine_fonts
