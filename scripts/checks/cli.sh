#!/usr/bin/env bash
# zendrix-convert against the literal Python converter (tools/literal_convert.py): byte-identical output on real
# Chinese text from Debian's manpages-zh, both directions, with the shipped table and with tables made from it
# that are misaligned or full of chains; the same text in UTF-8 and UTF-16 with characters outside GBK; and
# once as a --batch run over a small tree. Needs the native build
# (build/native/bin/zendrix-convert).
# ZENDRIX_CONVERT names another converter binary; ZENDRIX_SAMPLE_BYTES sizes the sample (the literal converter
# is slow: 300 KB takes about 15 s in all).
set -euo pipefail
cd "$(dirname "$0")/../.."
converter=${ZENDRIX_CONVERT:-build/native/bin/zendrix-convert}
[ -x "$converter" ] || { echo "cli.sh: $converter is not built" >&2; exit 1; }
[ -d /usr/share/man/zh_CN ] || { echo "cli.sh: /usr/share/man/zh_CN missing (package manpages-zh)" >&2; exit 1; }
sample_bytes=${ZENDRIX_SAMPLE_BYTES:-300000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The sample, its Traditional counterpart, and the tables.
python3 - "$work" "$sample_bytes" <<'EOF'
import collections, gzip, itertools, pathlib, random, sys
sys.path.insert(0, "tools")
import literal_convert as lc

work, budget = pathlib.Path(sys.argv[1]), int(sys.argv[2])
rng = random.Random(20261207)

# Pages taken in turn from every section, so the sample is not one kind of page.
sections = [sorted(d.glob("*.gz")) for d in sorted(pathlib.Path("/usr/share/man/zh_CN").glob("man*"))]
pages = [p for group in itertools.zip_longest(*sections) for p in group if p]
lines, size = [], 0
for page in pages:
    text = gzip.decompress(page.read_bytes()).decode("utf-8", "replace").encode("gbk", "ignore")
    for line in text.split(b"\n"):
        if b"\x1a" in line or size >= budget:
            continue
        lines.append(line)
        size += len(line) + 1
    if size >= budget:
        break

# Every way a line can end, a few NULs, and a 0x1A near the end after which nothing counts.
data = bytearray()
for i, line in enumerate(lines):
    if i % 97 == 5:
        line = line[: len(line) // 2] + b"\r" + line[len(line) // 2 :]
    if i % 211 == 7:
        line = line + b"\x00" + line[:10]
    data += line + (b"\r\n" if i % 3 == 0 else b"\r\r\n" if i % 101 == 0 else b"\n")
data += "后面是一个控制字符".encode("gbk") + b"\x1a" + "此后不再转换\n".encode("gbk") + b"last line"
(work / "simplified.txt").write_bytes(bytes(data))

with open("data/Runemap.dll", "rb") as f:
    shipped = lc.text_mode_lines(f.read())
simplified, banner, traditional = shipped[0], shipped[1], shipped[2]
s, t = lc.Table(simplified), lc.Table(traditional)
traditional_lines = [lc.convert_text(line, True, s, t) for line in lc.text_mode_lines(bytes(data))]
(work / "traditional.txt").write_bytes(b"".join(line + b"\r\n" for line in traditional_lines))
# What an output would be if nothing were converted, to catch a check that passes by converting nothing.
(work / "simplified.same").write_bytes(b"".join(line + b"\r\n" for line in lc.text_mode_lines(bytes(data))))
(work / "traditional.same").write_bytes(b"".join(line + b"\r\n" for line in traditional_lines))

def table(name, line1, line3):
    (work / f"{name}.tbl").write_bytes(line1 + b"\r\n" + banner + b"\r\n" + line3 + b"\r\n")

pairs = [(simplified[k:k + 2], traditional[k:k + 2]) for k in range(0, len(simplified), 2)]
differing = [p for p in pairs if p[0] != p[1]]
table("shipped", simplified, traditional)
table("shifted-traditional", simplified, b"x" + traditional)  # every result one byte off
table("shifted-simplified", simplified[1:], traditional)      # line 1 read from a trail byte on
table("truncated", simplified, traditional[: len(traditional) * 2 // 3 - 1])  # odd end, then nothing
# Chains: what a character becomes is listed again, mapping to yet another character, in both directions;
# some pairs go first so that they override the real ones, and some form cycles.
# The characters the sample uses most, so that the chains are met often.
uses = collections.Counter(lc.character_at(line, pos) for line in lc.text_mode_lines(bytes(data))
                           for pos in lc.boundaries(line))
chosen = sorted(differing, key=lambda p: -(uses[p[0]] + uses[p[1]]))[:600]
rng.shuffle(chosen)
front1, front3, back1, back3 = b"", b"", b"", b""
for i, (a, b) in enumerate(chosen[:200]):
    front1, front3 = front1 + a, front3 + chosen[(i + 1) % 200][1]
for i, (a, b) in enumerate(chosen[200:400]):
    back1, back3 = back1 + b, back3 + chosen[200 + (i + 7) % 200][1]
for i, (a, b) in enumerate(chosen[400:]):
    back1, back3 = back1 + chosen[400 + (i + 3) % 200][0], back3 + a
cycles1 = b"".join(a + b for a, b in differing[:50])
cycles3 = b"".join(b + a for a, b in differing[:50])
table("chained", front1 + simplified + back1 + cycles1, front3 + traditional + back3 + cycles3)
print(f"sample: {len(data)} bytes, {len(lines)} lines from manpages-zh; tables: {len(pairs)} pairs")
EOF

status=0
for tbl in "$work"/*.tbl; do
    name=$(basename "$tbl" .tbl)
    for direction in to-traditional to-simplified; do
        script=simplified
        [ $direction = to-simplified ] && script=traditional
        input=$work/$script.txt
        ours=$work/$name.$direction.ours
        literal=$work/$name.$direction.literal
        "$converter" --$direction --table "$tbl" "$input" "$ours"
        python3 tools/literal_convert.py --$direction --table "$tbl" "$input" "$literal"
        if cmp -s "$ours" "$literal" && [ -s "$ours" ] && ! cmp -s "$ours" "$work/$script.same"; then
            echo "ok   $name --$direction ($(stat -c %s "$ours") bytes)"
        else
            echo "FAIL $name --$direction: outputs differ (or are empty or unconverted)"
            cmp "$ours" "$literal" | head -1 || true
            status=1
        fi
    done
done
# The same text in UTF-8 (with and without a byte order mark) and in UTF-16 of both byte orders, with
# characters GBK cannot hold mixed in: found by the detection, converted in its own encoding.
python3 - "$work" <<'EOF'
import pathlib, sys
work = pathlib.Path(sys.argv[1])
text = (work / "simplified.txt").read_bytes().split(b"\x1a")[0].decode("gbk", "ignore")
lines = text.split("\n")
mixed = "\n".join(line + ("😀한국어\U00020000" if i % 7 == 3 else "") for i, line in enumerate(lines))
(work / "utf8.txt").write_bytes(mixed.encode("utf-8"))
(work / "utf8bom.txt").write_bytes(b"\xef\xbb\xbf" + mixed.encode("utf-8") + b"\x1a\xff")
(work / "utf16le.txt").write_bytes(b"\xff\xfe" + mixed.encode("utf-16le"))
(work / "utf16be.txt").write_bytes(b"\xfe\xff" + mixed.encode("utf-16be") + b"\x00")
EOF
for sample in utf8:utf-8 utf8bom:utf-8 utf16le:utf-16le utf16be:utf-16be; do
    name=${sample%%:*}
    encoding=${sample#*:}
    for tbl in shipped chained; do
        for direction in to-traditional to-simplified; do
            ours=$work/$name.$tbl.$direction.ours
            literal=$work/$name.$tbl.$direction.literal
            "$converter" --$direction --table "$work/$tbl.tbl" "$work/$name.txt" "$ours"
            python3 tools/literal_convert.py --$direction --table "$work/$tbl.tbl" --encoding "$encoding" \
                "$work/$name.txt" "$literal"
            if cmp -s "$ours" "$literal" && [ -s "$ours" ]; then
                echo "ok   $name $tbl --$direction ($(stat -c %s "$ours") bytes)"
            else
                echo "FAIL $name $tbl --$direction: outputs differ (or are empty)"
                cmp "$ours" "$literal" | head -1 || true
                status=1
            fi
        done
    done
done

# --batch over a small tree: every eligible file, at any depth, lands in one folder and matches the literal
# converter; the .gif and the .min.js are left out.
tree=$work/tree
mkdir -p "$tree/sub/deep"
python3 - "$work" <<'EOF'
import pathlib, sys
sys.path.insert(0, "tools")
import literal_convert as lc

work = pathlib.Path(sys.argv[1])
lines = (work / "simplified.txt").read_bytes().split(b"\n")
for i, name in enumerate(["a.txt", "sub/b.html", "sub/deep/c", "sub/skip.gif", "sub/deep/d.min.js"]):
    chunk = b"\n".join(lines[i * 240:(i + 1) * 240]) + b"\n"
    (work / "tree" / name).write_bytes(chunk)
    # What the output would be if nothing were converted.
    same = b"".join(line + b"\r\n" for line in lc.text_mode_lines(chunk))
    (work / (pathlib.Path(name).name + ".same")).write_bytes(same)
EOF
batch_ok=1
summary=$("$converter" --to-traditional --table "$work/shipped.tbl" --batch "$tree" "$work/batch-out") || batch_ok=0
[ "$summary" = "converted 3, skipped 0, failed 0" ] || { echo "FAIL --batch summary: $summary"; batch_ok=0; }
for source in a.txt sub/b.html sub/deep/c; do
    name=$(basename "$source")
    python3 tools/literal_convert.py --to-traditional --table "$work/shipped.tbl" "$tree/$source" "$work/$name.literal"
    if ! cmp -s "$work/batch-out/$name" "$work/$name.literal" || cmp -s "$work/$name.literal" "$work/$name.same"; then
        echo "FAIL --batch $source: differs from the literal converter (or is unconverted)"
        batch_ok=0
    fi
done
listing=$(cd "$work/batch-out" && echo *)
[ "$listing" = "a.txt b.html c" ] || { echo "FAIL --batch: DEST holds $listing"; batch_ok=0; }
if [ $batch_ok -eq 1 ]; then echo "ok   --batch over a tree of 5 files, 3 eligible"; else status=1; fi

[ $status -eq 0 ] && echo "cli.sh: zendrix-convert matches the literal converter"
exit $status
