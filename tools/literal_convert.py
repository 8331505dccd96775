#!/usr/bin/env python3
"""literal_convert.py: converts a GBK file between Simplified and Traditional characters, step by step.

An independent second implementation of the conversion, written from the algorithm's description rather than from
the C++ code, so that the two can be compared byte for byte (scripts/checks/cli.sh). It is slow on purpose: every
character costs a search of the table and every differing match a pass over the whole line.

    literal_convert.py --to-traditional|--to-simplified --table FILE INPUT OUTPUT

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
    parser.add_argument("input")
    parser.add_argument("output")
    args = parser.parse_args(argv)

    tables = load_tables(args.table)
    if tables is None:
        print(f"literal_convert.py: {args.table}: line 2 is not the banner", file=sys.stderr)
        return 2
    simplified, traditional = tables
    with open(args.input, "rb") as f:
        lines = text_mode_lines(f.read())
    with open(args.output, "wb") as out:
        for line in lines:
            out.write(convert_text(line, args.to_traditional, simplified, traditional) + b"\r\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
