#!/usr/bin/env bash
# The release zips: rebuilt from scratch each has the same bytes; each exe is a GUI image of its architecture that
# imports only DLLs every Windows has, and nothing Windows 7 lacks, and carries the version record. The 64-bit
# zip holds the very program the tests run, and its programs are started from the unpacked folder under Wine.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
first=build
again=$(mktemp -d)
trap 'rm -rf "$again"' EXIT
version=1.0.0.1

scripts/package.sh "$first" >/dev/null
scripts/package.sh "$again" >/dev/null

status=0
fail() { echo "FAIL: $*"; status=1; }

for arch in win32 win64; do
    zip=$first/$arch/Zendrix-$version-$arch.zip
    [ "$(sha256sum <"$zip")" = "$(sha256sum <"$again/$arch/Zendrix-$version-$arch.zip")" ] ||
        fail "$arch: two builds of the same sources gave different zips"

    unpacked=$again/unpacked-$arch
    mkdir -p "$unpacked"
    unzip -q "$zip" -d "$unpacked"
    listing=$(cd "$unpacked" && find . -type f | sort | tr '\n' ' ')
    expected="./Zendrix/LICENSE-table-data.txt ./Zendrix/LICENSE.txt ./Zendrix/NOTICE-table-data.txt ./Zendrix/Runemap.dll ./Zendrix/Runewords.txt ./Zendrix/Zendrix.exe ./Zendrix/readme.txt ./Zendrix/zendrix-convert.exe "
    [ "$listing" = "$expected" ] || fail "$arch zip holds: $listing"
    for data_file in Runemap.dll Runewords.txt; do
        cmp -s "data/$data_file" "$unpacked/Zendrix/$data_file" || fail "$arch: $data_file differs from data/"
    done

    format=pei-i386
    [ "$arch" = win64 ] && format=pei-x86-64
    for exe in Zendrix.exe zendrix-convert.exe; do
        headers=$(x86_64-w64-mingw32-objdump -p "$unpacked/Zendrix/$exe")
        grep -q "file format $format" <<<"$headers" || fail "$arch: $exe is not a $format image"
        # Only DLLs that ship with every Windows; no runtime DLLs of the compiler.
        while read -r dll; do
            case "${dll,,}" in
                kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|shell32.dll|advapi32.dll|msvcrt.dll|version.dll) ;;
                *) fail "$arch: $exe imports $dll" ;;
            esac
        done < <(awk '/DLL Name:/ {print $3}' <<<"$headers")
        # The per-monitor DPI functions came with Windows 10: the program looks them up when it runs.
        if grep -E -o '\b(GetDpiForWindow|GetSystemMetricsForDpi|[A-Za-z]*DpiAwarenessContext)\b' <<<"$headers"; then
            fail "$arch: $exe imports functions Windows 7 lacks"
        fi
    done
    if [ "$arch" = win32 ]; then
        for exe in Zendrix.exe zendrix-convert.exe; do
            grep -q 'large address aware' <<<"$(x86_64-w64-mingw32-objdump -p "$unpacked/Zendrix/$exe")" ||
                fail "win32: $exe lacks the large-address flag (2 GB of address space only)"
        done
    fi
    grep -q 'Subsystem.*0*2.*(Windows GUI)' <<<"$(x86_64-w64-mingw32-objdump -p "$unpacked/Zendrix/Zendrix.exe")" ||
        fail "$arch: Zendrix.exe is not a GUI program"

    # VS_FIXEDFILEINFO: signature 0xFEEF04BD, then the struct version, then file version 1.0 / 0.1.
    python3 - "$unpacked/Zendrix/Zendrix.exe" <<'PY' || fail "$arch: version record"
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(struct.pack("<I", 0xFEEF04BD))
ms, ls = struct.unpack_from("<II", data, at + 8) if at >= 0 else (0, 0)
product = "Zendrix".encode("utf-16-le") in data
if (ms, ls) != (0x00010000, 0x00000001) or not product:
    sys.exit(f"FAIL: version record {ms:#x}.{ls:#x}, product name present: {product}")
PY
done

# The 64-bit zip is what users of current Windows download: the program the tests ran, and it runs from the zip.
unpacked=$again/unpacked-win64/Zendrix
cmp -s "$first/win64/bin/Zendrix.exe" "$unpacked/Zendrix.exe" || fail "the 64-bit Zendrix.exe is not the tested one"
cmake --build "$first/win64" --target screenshot_driver -j2 >/dev/null
printf '后来的发展\n简体中文\n' | iconv -f UTF-8 -t GBK >"$again/in.txt"
printf '後來的發展\r\n簡體中文\r\n' | iconv -f UTF-8 -t GBK >"$again/expected.txt"
cat >"$again/start.sh" <<'INSIDE'
# Inside a Wine session; arguments: the unpacked folder, the screenshot helper, a work folder, wine-run.
set -u
run=$4
cd "$1"
"$run" zendrix-convert.exe --to-traditional "$3/in.txt" "$3/out.txt" >/dev/null 2>&1 || echo "FAIL: zendrix-convert.exe"
"$run" Zendrix.exe &
program=$!
box=$("$run" "$2" show 2>&1 >/dev/null | tr -d '\r')
grep -q "頭髮很複雜，雜誌的製作" <<<"$box" || echo "FAIL: Zendrix.exe did not come up and convert by words: $box"
"$run" "$2" close
for _ in $(seq 1 300); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && { echo "FAIL: Zendrix.exe still ran after 关闭"; kill "$program"; }
wait "$program" || echo "FAIL: Zendrix.exe ended with status $?"
INSIDE
scripts/wine-session.sh "$root/$first/win64/wineprefix" bash "$again/start.sh" "$unpacked" \
    "$root/$first/win64/bin/screenshot_driver.exe" "$again" "$root/scripts/wine-run" >"$again/started.log" 2>&1 ||
    fail "the Wine session for the unpacked 64-bit zip failed"
grep FAIL "$again/started.log" && status=1
cmp -s "$again/expected.txt" "$again/out.txt" || fail "the zip's zendrix-convert.exe converted wrongly"

if [ $status -eq 0 ]; then
    for arch in win64 win32; do
        echo "release zip $arch OK: reproducible, $(stat -c %s "$first/$arch/Zendrix-$version-$arch.zip") bytes"
    done
    echo "the 64-bit zip's programs started under Wine and converted"
fi
exit $status
