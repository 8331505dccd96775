#!/usr/bin/env python3
"""make_bench_text.py: real Chinese text for the benchmarks, from Debian's manpages-zh.

Reads the Simplified Chinese manual pages (/usr/share/man/zh_CN/**/*.gz) in path order, keeps their text (troff
requests and escapes removed, the words of headings and font macros kept), converts it to GBK dropping what GBK
cannot hold, and writes the first MAX_BYTES of it, cut at a line end:
  OUT/manpages.gbk   the text in GBK, LF line ends
  OUT/manpages.utf8  the same text in UTF-8 (for converters that take UTF-8)
"""
import argparse
import gzip
import pathlib
import re
import sys

# Macros whose arguments are text that a reader sees; other requests are layout and are dropped.
TEXT_MACROS = {"SH", "SS", "B", "I", "BR", "BI", "IB", "IR", "RB", "RI", "SM", "SB", "IP", "TP", "UR", "MT", "Nm",
               "Nd", "Ar", "Fl", "Op", "Xr", "Em", "Sh", "Ss", "Pa", "It", "Dq", "Sq", "Qq", "Cm", "Ic", "Va"}

ESCAPES = [
    (re.compile(r"\\f(\([A-Za-z0-9]{2}|\[[^\]]*\]|.)"), ""),  # font changes
    (re.compile(r"\\s[+-]?\d+"), ""),  # size changes
    (re.compile(r"\\\([A-Za-z0-9]{2}|\\\[[^\]]*\]"), ""),  # named special characters
    (re.compile(r"\\\*(\(..|\[[^\]]*\]|.)"), ""),  # strings
    (re.compile(r"\\[-e]"), lambda m: "-" if m.group(0) == "\\-" else "\\"),
    (re.compile(r"\\[&,/|^%:c]"), ""),
    (re.compile(r"\\ "), " "),
]


def page_text(source: str) -> list[str]:
    lines = []
    for line in source.splitlines():
        if line.startswith(('.\\"', "'\\\"", '.\\\\"')) or line.strip() in (".", "'"):
            continue
        if line.startswith((".", "'")):
            parts = line[1:].split(None, 1)
            if not parts or parts[0] not in TEXT_MACROS or len(parts) < 2:
                continue
            line = parts[1].replace('"', "")
        for pattern, replacement in ESCAPES:
            line = pattern.sub(replacement, line)
        lines.append(line)
    return lines


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True, type=pathlib.Path)
    parser.add_argument("--bytes", type=int, default=1 << 20)
    parser.add_argument("--man", type=pathlib.Path, default=pathlib.Path("/usr/share/man/zh_CN"))
    args = parser.parse_args()

    pages = sorted(p for p in args.man.rglob("*.gz") if p.is_file())
    if not pages:
        print(f"no manual pages under {args.man} (Debian package manpages-zh)", file=sys.stderr)
        return 1
    gbk = bytearray()
    for page in pages:
        source = gzip.decompress(page.read_bytes()).decode("utf-8", errors="ignore")
        gbk += "\n".join(page_text(source)).encode("gbk", errors="ignore") + b"\n"
        if len(gbk) >= args.bytes:
            break
    # A line feed is never a trail byte, so cutting after one keeps every character whole.
    text = bytes(gbk[: gbk.rfind(b"\n", 0, args.bytes) + 1])

    args.out.mkdir(parents=True, exist_ok=True)
    (args.out / "manpages.gbk").write_bytes(text)
    (args.out / "manpages.utf8").write_bytes(text.decode("gbk").encode("utf-8"))
    double = sum(2 for _ in re.finditer(rb"[\x81-\xfe][\x00-\xff]", text))
    lines = text.count(b"\n")
    print(f"bench text: {len(text)} bytes GBK, {lines} lines, {100 * double / len(text):.0f}% of bytes in "
          f"two-byte characters, from {pages.index(page) + 1} pages")
    return 0


if __name__ == "__main__":
    sys.exit(main())
