#!/usr/bin/env bash
# Makes the README pictures of the real window under Wine: sample text typed into the left box and converted with
# "→". At 96 DPI it writes docs/screenshot.png, at any other DPI docs/screenshot-<DPI>dpi.png; by default it makes
# the three pictures the README shows, at 96, 144 and 192 DPI. Fails when a label does not fit its control.
# Usage: screenshot.sh [DPI...]     ZENDRIX_BUILD_DIR chooses the build folder (default: build/win64).
# Each DPI has its own Wine prefix in the build folder, since Wine fixes a process's DPI when it starts.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${ZENDRIX_BUILD_DIR:-$root/build/win64}
wine_run=$root/scripts/wine-run

if [ "${1:-}" = --inside ]; then
    # Run by the part below inside a Wine session: DISPLAY and WINEPREFIX are set, one wineserver is alive.
    out=$2
    cd "$build/bin"
    "$wine_run" Zendrix.exe &
    program=$!
    rect=$("$wine_run" screenshot_driver.exe show | tr -d '\r')
    read -r x y w h <<<"$rect"
    measured=$("$wine_run" screenshot_driver.exe measure | tr -d '\r')
    echo "$measured"
    "$wine_run" screenshot_driver.exe front
    # The program paints when idle and Wine copies to the X server a little later: grab until a picture repeats.
    shots=$(mktemp -d)
    previous=
    for try in 1 2 3 4 5 6 7 8 9 10; do
        sleep 0.5
        import -window root -crop "${w}x${h}+${x}+${y}" +repage -strip \
            -define png:exclude-chunks=date,time "$shots/$try.png"
        if [ -n "$previous" ] && cmp -s "$previous" "$shots/$try.png"; then break; fi
        previous=$shots/$try.png
    done
    cp "$shots/$try.png" "$out"
    rm -rf "$shots"
    "$wine_run" screenshot_driver.exe close
    for _ in $(seq 1 300); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$program" 2>/dev/null; then
        echo "screenshot.sh: Zendrix still running after 关闭" >&2
        kill "$program"
        exit 1
    fi
    wait "$program" || { echo "screenshot.sh: Zendrix ended with status $?" >&2; exit 1; }
    echo "wrote $out (${w}x${h})"
    if grep -q 'TOO NARROW' <<<"$measured"; then
        echo "screenshot.sh: a label is cut off at this DPI" >&2
        exit 1
    fi
    exit 0
fi

dpis=("$@")
[ ${#dpis[@]} -eq 0 ] && dpis=(96 144 192)
for dpi in "${dpis[@]}"; do
    if ! [[ $dpi =~ ^[0-9]+$ ]] || [ "$dpi" -lt 96 ] || [ "$dpi" -gt 480 ]; then
        echo "usage: scripts/screenshot.sh [DPI...]   (each from 96 to 480; default 96 144 192)" >&2
        exit 2
    fi
done

scripts/deps.sh
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" -j2 --target Zendrix screenshot_driver

for dpi in "${dpis[@]}"; do
    out=$root/docs/screenshot.png
    [ "$dpi" -ne 96 ] && out=$root/docs/screenshot-${dpi}dpi.png
    export WINEPREFIX=$build/wineprefix-dpi$dpi
    scripts/wine-prefix.sh "$WINEPREFIX"
    # Wine 8 takes the system DPI from this value (winecfg's "Screen resolution" writes it too).
    "$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
    /usr/lib/wine/wineserver64 -w
    scripts/wine-session.sh "$WINEPREFIX" "$root/scripts/screenshot.sh" --inside "$out"
done
