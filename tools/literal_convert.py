#!/usr/bin/env python3
"""literal_convert.py: converts a text file between Simplified and Traditional characters, step by step.

An independent second implementation of the conversion, written from the algorithm's description rather than from
the C++ code, so that the two can be compared byte for byte (scripts/checks/cli.sh). It is slow on purpose: every
character costs a search of the table and every differing match a pass over the whole line.

    literal_convert.py --to-traditional|--to-simplified --table FILE [--encoding E] INPUT OUTPUT

The encoding is given, never guessed: gbk (the default), utf-8, utf-16le or utf-16be. In UTF-8 and UTF-16 every
stretch of characters that GBK holds converts as that stretch would in GBK; other characters, and bytes that do
not decode, pass unchanged; a byte order mark is kept.

Exit codes: 0 written, 2 bad table file or arguments.
"""

import argparse
import sys

BANNER = b"Zendrix character table 1.0 (GBK): line 1 Simplified, line 3 Traditional"


def is_lead(byte):
    return 0x81 <= byte <= 0xFE


def text_mode_lines(data):
    """The lines a text-mode reader yields: a line ends at LF, a CR right before the LF is dropped, and a 0x1A
    byte ends the input. A last line without LF is still a line; an empty input has no lines."""
    stop = data.find(b"\x1a")
    if stop >= 0:
        data = data[:stop]
    lines = data.split(b"\n")
    terminated = [line[:-1] if line.endswith(b"\r") else line for line in lines[:-1]]
    if lines[-1]:
        terminated.append(lines[-1])  # no LF after it, so a CR at its end is text
    return terminated


def boundaries(text):
    """Offsets where characters begin: a lead byte takes the byte after it along."""
    offsets = []
    pos = 0
    while pos < len(text):
        offsets.append(pos)
        pos += 2 if is_lead(text[pos]) else 1
    return offsets


def character_at(text, pos):
    return text[pos:pos + (2 if is_lead(text[pos]) else 1)]


def find_character(text, char, starts=None):
    """Offset of the first character of text equal to char, or -1. Only whole characters match: the match
    begins on a character boundary and covers exactly one character of text (a lone lead byte at the very end
    of text is a character by itself)."""
    if starts is None:
        starts = set(boundaries(text))
    pos = text.find(char)
    while pos >= 0:
        if pos in starts and character_at(text, pos) == char:
            return pos
        pos = text.find(char, pos + 1)
    return -1


def replace_every(text, char, replacement):
    """Every occurrence of char in text, found at character boundaries from the start, left to right, without
    overlap, replaced at once."""
    out = bytearray()
    pos = 0
    while pos < len(text):
        here = character_at(text, pos)
        if here == char:
            out += replacement
        else:
            out += here
        pos += len(here)
    return bytes(out)


class Table:
    def __init__(self, line):
        self.line = line
        self.starts = set(boundaries(line))

    def find(self, char):
        return find_character(self.line, char, self.starts)


def convert_text(text, to_traditional, simplified, traditional):
    search, result = (simplified, traditional) if to_traditional else (traditional, simplified)
    length = len(text)  # fixed when the call begins, even if replacements shorten the text
    pos = 0
    while pos < length:
        if pos >= len(text):
            width = 2  # an empty character: nothing to look up
        else:
            width = 2 if is_lead(text[pos]) else 1
            char = text[pos:pos + width]  # one byte only when a lead byte ends the text
            k = search.find(char)
            if k >= 0:
                r = result.line[k:k + width]
                if r != char:
                    text = replace_every(text, char, r)
        pos += width
    return text


BOMS = {"utf-8": b"\xef\xbb\xbf", "utf-16le": b"\xff\xfe", "utf-16be": b"\xfe\xff"}
# Bytes that do not decode travel as lone surrogates and come back as they were.
ERRORS = {"utf-8": "surrogateescape", "utf-16le": "surrogatepass", "utf-16be": "surrogatepass"}


def gbk_bytes(char):
    """The GBK form of one character, or None. The euro sign is the single byte 0x80 of code page 936."""
    if char == "\u20ac":
        return b"\x80"
    try:
        return char.encode("gbk")
    except UnicodeEncodeError:
        return None


def gbk_text(data):
    """The characters of a GBK text, or None when some bytes are no character."""
    chars = []
    pos = 0
    while pos < len(data):
        width = 2 if is_lead(data[pos]) and pos + 1 < len(data) else 1
        piece = data[pos:pos + width]
        try:
            chars.append("\u20ac" if piece == b"\x80" else piece.decode("gbk"))
        except UnicodeDecodeError:
            return None
        pos += width
    return "".join(chars)


def convert_unicode(line, to_traditional, simplified, traditional):
    """A line of decoded text: each maximal stretch of characters GBK holds through the GBK conversion."""
    out = []
    stretch = []

    def flush():
        if stretch:
            gbk = b"".join(gbk_bytes(c) for c in stretch)
            converted = gbk_text(convert_text(gbk, to_traditional, simplified, traditional))
            out.append(converted if converted is not None else "".join(stretch))
            stretch.clear()

    for char in line:
        if gbk_bytes(char) is not None:
            stretch.append(char)
        else:
            flush()
            out.append(char)
    flush()
    return "".join(out)


def unicode_lines(data, encoding):
    """(byte order mark, lines, stray byte): lines end at the unit LF, a CR unit right before it dropped."""
    bom = BOMS[encoding] if data.startswith(BOMS[encoding]) else b""
    data = data[len(bom):]
    stray = b""
    if encoding != "utf-8" and len(data) % 2:
        data, stray = data[:-1], data[-1:]
    unit = 1 if encoding == "utf-8" else 2
    units = [data[i:i + unit] for i in range(0, len(data), unit)]
    lf, cr = "\n".encode(encoding), "\r".encode(encoding)
    lines, current = [], []
    for u in units:
        if u == lf:
            if current and current[-1] == cr:
                current.pop()
            lines.append(b"".join(current))
            current = []
        else:
            current.append(u)
    if current:
        lines.append(b"".join(current))
    return bom, lines, stray


def load_tables(path):
    """(simplified, traditional) from lines 1 and 3, or None when line 2 is not the banner."""
    with open(path, "rb") as f:
        lines = text_mode_lines(f.read())
    lines += [b""] * (3 - len(lines))  # a missing line reads as an empty one
    if lines[1] != BANNER:
        return None
    return Table(lines[0]), Table(lines[2])


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    direction = parser.add_mutually_exclusive_group(required=True)
    direction.add_argument("--to-traditional", action="store_true")
    direction.add_argument("--to-simplified", action="store_true")
    parser.add_argument("--table", required=True)
    parser.add_argument("--encoding", default="gbk", choices=["gbk", "utf-8", "utf-16le", "utf-16be"])
    parser.add_argument("input")
    parser.add_argument("output")
    args = parser.parse_args(argv)

    tables = load_tables(args.table)
    if tables is None:
        print(f"literal_convert.py: {args.table}: line 2 is not the banner", file=sys.stderr)
        return 2
    simplified, traditional = tables
    with open(args.input, "rb") as f:
        data = f.read()
    with open(args.output, "wb") as out:
        if args.encoding == "gbk":
            for line in text_mode_lines(data):
                out.write(convert_text(line, args.to_traditional, simplified, traditional) + b"\r\n")
            return 0
        bom, lines, stray = unicode_lines(data, args.encoding)
        errors = ERRORS[args.encoding]
        out.write(bom)
        for line in lines:
            text = convert_unicode(line.decode(args.encoding, errors), args.to_traditional, simplified, traditional)
            out.write((text + "\r\n").encode(args.encoding, errors))
        out.write(stray)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
