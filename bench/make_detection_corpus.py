#!/usr/bin/env python3
"""make_detection_corpus.py: GBK, Big5, UTF-8 and other legacy samples from Debian's text, for the encoding
detection figures.

Sources: the gettext catalogues under /usr/share/locale/LANG/LC_MESSAGES/*.mo (read directly) and the manual
pages of manpages-zh (/usr/share/man/zh_CN and zh_TW, text taken as make_bench_text.py takes it).
  GBK:   zh_CN, zh_TW and zh_HK catalogues and both sets of manual pages, converted to GBK (lines GBK cannot
         hold are dropped): Traditional text converted to GBK uses GBK's extension areas, as users' Traditional
         files do.
  Big5:  the Traditional text (zh_TW and zh_HK catalogues, zh_TW manual pages) in code page 950 as Windows has
         it (tools/make_big5_codec.py), lines Big5 cannot hold dropped.
  UTF-8: the catalogues of every language asked for, and both sets of manual pages.
  Other code pages, which must be recognised as neither GBK nor Big5: fr, de, es in Windows-1252 and Latin-1;
         ru, uk, bg in Windows-1251; ru and bg in KOI8-R; el in Windows-1253; ja in EUC-JP and Shift_JIS; ko
         in EUC-KR.
Only files with a character outside ASCII are kept: pure ASCII is GBK by the rule. Each catalogue or page goes
to one half, "dev" or "test", by the CRC-32 of its name, so that the detector can be
developed on one half and judged on the other. Three shapes of file are written per set and half:
  OUT/<enc>-<lang>-<half>-line.rec    every distinct line with a non-ASCII character, a file of its own
  OUT/<enc>-<lang>-<half>-short.rec   four consecutive lines of one catalogue or page, a file of its own
  OUT/<enc>-<lang>-<half>-whole.rec   each catalogue or page whole
  OUT/<enc>-<lang>-<half>-block.rec   the half's lines in order, in files of BLOCK_LINES lines (the last may be
                                      shorter): files the size of a real document of the other code pages
A .rec file is a sequence of records, each a 4-byte little-endian length followed by that many bytes.
"""
import argparse
import gzip
import pathlib
import struct
import sys
import zlib

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from make_bench_text import page_text  # noqa: E402

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools"))
from make_big5_codec import two_byte_map, PREFERRED  # noqa: E402

DESIGNED = ["zh_CN", "zh_TW", "fr", "de", "ru", "el", "ja", "ko"]
# (tag, Python codec, languages): text that is neither GBK nor Big5.
OTHER_CODE_PAGES = [
    ("cp1252", "cp1252", ["fr", "de", "es"]),
    ("latin1", "latin-1", ["fr", "de", "es"]),
    ("cp1251", "cp1251", ["ru", "uk", "bg"]),
    ("koi8r", "koi8-r", ["ru", "bg"]),
    ("cp1253", "cp1253", ["el"]),
    ("eucjp", "euc-jp", ["ja"]),
    ("sjis", "shift_jis", ["ja"]),
    ("euckr", "euc-kr", ["ko"]),
]
UNSEEN = ["es", "it", "pt", "pl", "cs", "tr", "vi", "uk", "he", "ar", "th", "hi"]
SHORT_LINES = 4
BLOCK_LINES = 1000


def mo_messages(path: pathlib.Path) -> list[str]:
    """The translations of a .mo catalogue (plural forms each on their own), in the catalogue's order."""
    data = path.read_bytes()
    if len(data) < 20:
        return []
    for order in "<>":
        magic, _, count, _, table = struct.unpack_from(order + "5I", data)
        if magic == 0x950412DE:
            break
    else:
        return []
    raw = []
    for k in range(count):
        length, offset = struct.unpack_from(order + "2I", data, table + 8 * k)
        raw.append(data[offset:offset + length])
    charset = "utf-8"
    if raw and raw[0].startswith(b"Project-Id") or (raw and b"Content-Type" in raw[0]):
        header = raw[0].decode("ascii", errors="ignore")
        if "charset=" in header:
            charset = header.split("charset=", 1)[1].split()[0].strip() or "utf-8"
    messages = []
    for k, message in enumerate(raw):
        if k == 0 and b"Content-Type" in message:
            continue
        try:
            text = message.decode(charset)
        except (UnicodeDecodeError, LookupError):
            continue
        messages.extend(form for form in text.split("\0") if form)
    return messages


def half_of(name: str) -> str:
    return "dev" if zlib.crc32(name.encode()) % 2 == 0 else "test"


def catalogue_documents(lang: str) -> list[tuple[str, list[str]]]:
    folder = pathlib.Path("/usr/share/locale") / lang / "LC_MESSAGES"
    docs = []
    for mo in sorted(folder.glob("*.mo")):
        lines = [line for message in mo_messages(mo) for line in message.split("\n") if line.strip()]
        if lines:
            docs.append((mo.stem, lines))
    return docs


def manpage_documents(lang: str) -> list[tuple[str, list[str]]]:
    docs = []
    for page in sorted(p for p in (pathlib.Path("/usr/share/man") / lang).rglob("*.gz") if p.is_file()):
        source = gzip.decompress(page.read_bytes()).decode("utf-8", errors="ignore")
        lines = [line for line in page_text(source) if line.strip()]
        if lines:
            docs.append((page.name, lines))
    return docs


def big5_encoder():
    """Code page 950 as Windows writes it: the codec's table, lower code first but for the preferred ones."""
    codes = {}
    for code, cp in sorted(two_byte_map().items()):
        codes.setdefault(cp, code)
    codes.update({cp: code for cp, code in PREFERRED.items()})
    return {chr(cp): bytes([code >> 8, code & 0xFF]) for cp, code in codes.items()}


BIG5 = big5_encoder()


def encode_line(line: str, encoding: str) -> bytes:
    if encoding != "big5":
        return line.encode(encoding)
    out = bytearray()
    for ch in line:
        if ord(ch) < 0x80:
            out.append(ord(ch))
        elif ch in BIG5:
            out += BIG5[ch]
        else:
            raise UnicodeEncodeError("big5", line, 0, 1, "not in code page 950")
    return bytes(out)


def encode_lines(lines: list[str], encoding: str) -> list[bytes]:
    out = []
    for line in lines:
        try:
            out.append(encode_line(line, encoding))
        except UnicodeEncodeError:
            continue  # a character the encoding cannot hold: the line is left out, as a file could not hold it
    return out


def write_records(path: pathlib.Path, records: list[bytes]) -> None:
    with open(path, "wb") as f:
        for record in records:
            f.write(struct.pack("<I", len(record)))
            f.write(record)


def build_set(out: pathlib.Path, encoding: str, name: str, docs: list[tuple[str, list[str]]],
              tag: str = "") -> str:
    shapes = {(half, shape): [] for half in ("dev", "test") for shape in ("line", "short", "whole", "block")}
    pending = {"dev": [], "test": []}
    seen = set()
    for doc_name, lines in docs:
        half = half_of(doc_name)
        encoded = encode_lines(lines, encoding)
        if not encoded:
            continue
        for line in encoded:
            if max(line) >= 0x80 and line not in seen:
                seen.add(line)
                shapes[(half, "line")].append(line)
        for k in range(0, len(encoded) - SHORT_LINES + 1, SHORT_LINES):
            group = b"\n".join(encoded[k:k + SHORT_LINES]) + b"\n"
            if max(group) >= 0x80:
                shapes[(half, "short")].append(group)
        whole = b"\n".join(encoded) + b"\n"
        if max(whole) >= 0x80:
            shapes[(half, "whole")].append(whole)
        pending[half].extend(encoded)
    for half, lines in pending.items():
        for k in range(0, len(lines), BLOCK_LINES):
            block = b"\n".join(lines[k:k + BLOCK_LINES]) + b"\n"
            if max(block) >= 0x80:
                shapes[(half, "block")].append(block)
    tag = tag or {"gbk": "gbk", "big5": "big5"}.get(encoding, "utf8")
    for (half, shape), records in shapes.items():
        write_records(out / f"{tag}-{name}-{half}-{shape}.rec", records)
    counts = " ".join(f"{half}/{shape} {len(r)}" for (half, shape), r in shapes.items())
    return f"{tag}-{name}: {counts}"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True, type=pathlib.Path)
    args = parser.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)

    sets = [
        ("gbk", "zh_CN", catalogue_documents("zh_CN")),
        ("gbk", "zh_TW", catalogue_documents("zh_TW")),
        ("gbk", "zh_HK", catalogue_documents("zh_HK")),
        ("gbk", "man-zh_CN", manpage_documents("zh_CN")),
        ("gbk", "man-zh_TW", manpage_documents("zh_TW")),
        ("big5", "zh_TW", catalogue_documents("zh_TW")),
        ("big5", "zh_HK", catalogue_documents("zh_HK")),
        ("big5", "man-zh_TW", manpage_documents("zh_TW")),
        ("utf-8", "man-zh_CN", manpage_documents("zh_CN")),
        ("utf-8", "man-zh_TW", manpage_documents("zh_TW")),
    ]
    for lang in DESIGNED + UNSEEN:
        docs = catalogue_documents(lang)
        if docs:
            sets.append(("utf-8", lang, docs))
        else:
            print(f"no catalogues for {lang}", file=sys.stderr)
    for encoding, name, docs in sets:
        print(build_set(args.out, encoding, name, docs))
    for tag, codec, langs in OTHER_CODE_PAGES:
        for lang in langs:
            print(build_set(args.out, codec, lang, catalogue_documents(lang), tag))
    (args.out / "sets.txt").write_text(
        "designed " + " ".join(DESIGNED) + "\nunseen " + " ".join(UNSEEN) + "\nother " +
        " ".join(tag for tag, _, _ in OTHER_CODE_PAGES) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
