#!/usr/bin/env bash
# Runs a command with one persistent wineserver for PREFIX and the prefix's services already started, inside a
# fresh Xvfb display. Usage: wine-session.sh PREFIX COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$1
shift
"$here/wine-prefix.sh" "$WINEPREFIX"
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    /usr/lib/wine/wineserver64 -p
    # Without a window manager Wine waits about 2 s on every unmanaged window that hides; tests only.
    "$0/wine-run" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1 </dev/null
    # Started by the command itself, the services would inherit and hold open its output pipes.
    "$0/wine-run" wineboot >/dev/null 2>&1 </dev/null
    "$@"; rc=$?
    /usr/lib/wine/wineserver64 -k 2>/dev/null
    exit $rc' "$here" "$@"
