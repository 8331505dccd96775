#!/usr/bin/env bash
# The release zip: rebuilt from scratch it has the same bytes; its exe is a 32-bit GUI image that imports only
# DLLs every Windows has, and carries the version record.
set -euo pipefail
cd "$(dirname "$0")/../.."
first=build/win32
again=$(mktemp -d)
trap 'rm -rf "$again"' EXIT

scripts/package.sh "$first" >/dev/null
scripts/package.sh "$again" >/dev/null
a=$(sha256sum < "$first/Zendrix-1.0.0.1-win32.zip")
b=$(sha256sum < "$again/Zendrix-1.0.0.1-win32.zip")
[ "$a" = "$b" ] || { echo "FAIL: two builds of the same sources gave different zips"; exit 1; }

unpacked=$(mktemp -d -p "$again")
unzip -q "$first/Zendrix-1.0.0.1-win32.zip" -d "$unpacked"
listing=$(cd "$unpacked" && find . -type f | sort | tr '\n' ' ')
expected="./Zendrix/LICENSE-table-data.txt ./Zendrix/LICENSE.txt ./Zendrix/NOTICE-table-data.txt ./Zendrix/Runemap.dll ./Zendrix/Runewords.txt ./Zendrix/Zendrix.exe ./Zendrix/readme.txt ./Zendrix/zendrix-convert.exe "
[ "$listing" = "$expected" ] || { echo "FAIL: zip holds: $listing"; exit 1; }
for data_file in Runemap.dll Runewords.txt; do
    cmp -s "data/$data_file" "$unpacked/Zendrix/$data_file" || { echo "FAIL: $data_file differs from data/"; exit 1; }
done

status=0
for exe in Zendrix.exe zendrix-convert.exe; do
    headers=$(i686-w64-mingw32-objdump -p "$unpacked/Zendrix/$exe")
    grep -q 'file format pei-i386' <<<"$headers" || { echo "FAIL: $exe is not a PE32 i386 image"; status=1; }
    # Only DLLs that ship with every Windows; no runtime DLLs of the compiler.
    while read -r dll; do
        case "${dll,,}" in
            kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|shell32.dll|advapi32.dll|msvcrt.dll|version.dll) ;;
            *) echo "FAIL: $exe imports $dll"; status=1 ;;
        esac
    done < <(awk '/DLL Name:/ {print $3}' <<<"$headers")
done
grep -q 'Subsystem.*0*2.*(Windows GUI)' <<<"$(i686-w64-mingw32-objdump -p "$unpacked/Zendrix/Zendrix.exe")" \
    || { echo "FAIL: Zendrix.exe is not a GUI program"; status=1; }

# VS_FIXEDFILEINFO: signature 0xFEEF04BD, then the struct version, then file version 1.0 / 0.1.
python3 - "$unpacked/Zendrix/Zendrix.exe" <<'PY' || status=1
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(struct.pack("<I", 0xFEEF04BD))
ms, ls = struct.unpack_from("<II", data, at + 8) if at >= 0 else (0, 0)
product = "Zendrix".encode("utf-16-le") in data
if (ms, ls) != (0x00010000, 0x00000001) or not product:
    sys.exit(f"FAIL: version record {ms:#x}.{ls:#x}, product name present: {product}")
PY
[ $status -eq 0 ] && echo "release zip OK: reproducible, $(stat -c %s "$first/Zendrix-1.0.0.1-win32.zip") bytes"
exit $status
