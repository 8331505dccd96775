#!/usr/bin/python3
"""check_table.py: verifies the shipped character table data/Runemap.dll.

Checks the file format the program reads, that no converted character converts again (the program would chain),
that every first occurrence gives OpenCC's form except the decided conflicts in data/conflicts.tsv, and that the
file is what tools/make_table.py builds from the shipped dumps. Exits 1 with the reasons on any violation.

Usage: python3 tools/check_table.py [--table FILE] [--st ST.txt] [--ts TS.txt] [--decisions FILE] [--readme FILE]
"""

import argparse
import os
import sys

sys.dont_write_bytecode = True  # keep the shared work tree free of __pycache__
import make_table  # noqa: E402

# Written out again rather than taken from the generator, so that a wrong banner there is caught here.
BANNER = b"Zendrix character table 1.0 (GBK): line 1 Simplified, line 3 Traditional"
MIN_PAIRS = 2600
_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def split_crlf_lines(data, problems, count=None):
    """The file's lines, or None unless every line ends in CR LF (and there are `count` of them, if given)."""
    if not data.endswith(b"\r\n"):
        problems.append("the file does not end in CR LF")
        return None
    lines = data[:-2].split(b"\r\n")
    if count is not None and len(lines) != count:
        problems.append("expected %d lines ended by CR LF, found %d" % (count, len(lines)))
        return None
    for number, line in enumerate(lines, 1):
        if b"\r" in line or b"\n" in line:
            problems.append("line %d holds a bare CR or LF (every line must end in CR LF)" % number)
            return None
    return lines


def split_lines(data, problems):
    """The three table lines, or None."""
    return split_crlf_lines(data, problems, 3)


def decode_line(line, number, problems):
    """The characters of a table line, or None unless it is made of two-byte GBK characters only."""
    if len(line) % 2:
        problems.append("line %d has an odd byte length %d" % (number, len(line)))
        return None
    chars = []
    for offset in range(0, len(line), 2):
        unit = line[offset:offset + 2]
        try:
            char = unit.decode("gbk")
        except UnicodeDecodeError:
            char = ""
        # a lead byte check keeps the program's character boundaries on even offsets
        if not 0x81 <= unit[0] <= 0xFE or len(char) != 1 or char.encode("gbk") != unit:
            problems.append("line %d, offset %d: %s is not a two-byte GBK character" % (number, offset, unit.hex()))
            return None
        chars.append(char)
    return chars


def first_occurrences(search, result):
    mapping = {}
    for key, value in zip(search, result):
        mapping.setdefault(key, value)
    return mapping


def check_chains(mapping, direction, problems):
    for char, converted in sorted(mapping.items()):
        again = mapping.get(converted, converted)
        if converted != char and again != converted:
            problems.append("%s chains: %s -> %s -> %s" % (direction, make_table.describe(char),
                                                           make_table.describe(converted), make_table.describe(again)))


def check_against_opencc(mapping, dictionary, decisions, direction, problems):
    """Each GBK key converts to its first GBK candidate unless decided otherwise; nothing else converts."""
    expected = {}
    for key, candidates in dictionary.items():
        usable = [c for c in candidates if make_table.is_gbk_char(c)]
        if make_table.is_gbk_char(key) and usable:
            expected[key] = usable[0]
    expected.update(decisions)
    for char in sorted(set(expected) | set(mapping)):
        actual = mapping.get(char, char)
        wanted = expected.get(char, char)
        if actual != wanted:
            why = ("the decision says %s" if char in decisions else "OpenCC gives %s" if char in expected else
                   "OpenCC does not convert it (%s)") % make_table.describe(wanted)
            problems.append("%s: %s converts to %s, but %s" % (direction, make_table.describe(char),
                                                               make_table.describe(actual), why))


def check_table(data, st_dictionary, ts_dictionary, decisions):
    """Returns (problems, summary figures) for the bytes of a table file."""
    problems = []
    lines = split_lines(data, problems)
    if lines is None:
        return problems, None
    if lines[1] != BANNER:
        problems.append("line 2 is %r, expected the banner %r" % (lines[1], BANNER))
    if len(lines[0]) != len(lines[2]):
        problems.append("lines 1 and 3 differ in length (%d and %d bytes)" % (len(lines[0]), len(lines[2])))
        return problems, None
    simplified = decode_line(lines[0], 1, problems)
    traditional = decode_line(lines[2], 3, problems)
    if simplified is None or traditional is None:
        return problems, None
    if len(simplified) < MIN_PAIRS:
        problems.append("only %d pairs, expected at least %d" % (len(simplified), MIN_PAIRS))
    to_trad = first_occurrences(simplified, traditional)
    to_simp = first_occurrences(traditional, simplified)
    check_chains(to_trad, make_table.S2T, problems)
    check_chains(to_simp, make_table.T2S, problems)
    check_against_opencc(to_trad, st_dictionary, decisions[make_table.S2T], make_table.S2T, problems)
    check_against_opencc(to_simp, ts_dictionary, decisions[make_table.T2S], make_table.T2S, problems)
    figures = {
        "pairs": len(simplified),
        "s2t": sum(1 for c, r in to_trad.items() if c != r),
        "t2s": sum(1 for c, r in to_simp.items() if c != r),
    }
    return problems, figures


def check_readme(readme, decisions, problems):
    """The README's conflict list must name every decided character by its code point."""
    for direction in (make_table.S2T, make_table.T2S):
        for char in sorted(decisions[direction]):
            if "U+%04X" % ord(char) not in readme:
                problems.append("%s does not list the %s decision for %s" % ("data/README.md", direction,
                                                                          make_table.describe(char)))


def read_file_and_readme(path, readme_path):
    """The bytes of the file to check and the text of the README that documents it."""
    with open(path, "rb") as handle:
        data = handle.read()
    with open(readme_path, encoding="utf-8") as handle:
        return data, handle.read()


def report_problems(tool, problems, shown=20):
    """Prints the first problems on stderr; True when there are any."""
    for problem in problems[:shown]:
        print("%s: %s" % (tool, problem), file=sys.stderr)
    if len(problems) > shown:
        print("%s: ... and %d more" % (tool, len(problems) - shown), file=sys.stderr)
    return bool(problems)


def main(argv):
    parser = argparse.ArgumentParser(description="Verify the Zendrix character table file.")
    parser.add_argument("--table", default=make_table.DEFAULT_OUT)
    parser.add_argument("--st", default=make_table.DEFAULT_ST)
    parser.add_argument("--ts", default=make_table.DEFAULT_TS)
    parser.add_argument("--decisions", default=make_table.DEFAULT_DECISIONS)
    parser.add_argument("--readme", default=os.path.join(_ROOT, "data", "README.md"))
    args = parser.parse_args(argv)
    try:
        data, readme = read_file_and_readme(args.table, args.readme)
        st_dictionary = make_table.read_dictionary(args.st)
        ts_dictionary = make_table.read_dictionary(args.ts)
        decisions = make_table.read_decisions(args.decisions)
    except (make_table.TableError, OSError, UnicodeDecodeError) as error:
        print("check_table: %s" % error, file=sys.stderr)
        return 1
    problems, figures = check_table(data, st_dictionary, ts_dictionary, decisions)
    check_readme(readme, decisions, problems)
    if not problems:
        try:
            rebuilt, _ = make_table.build(st_dictionary, ts_dictionary, decisions)
        except make_table.TableError as error:
            rebuilt = None
            problems.append("tools/make_table.py fails on the shipped inputs: %s" % error)
        if rebuilt is not None and rebuilt != data:
            problems.append("%s is not what tools/make_table.py builds from the shipped inputs: regenerate it"
                            % args.table)
    if report_problems("check_table", problems):
        return 1
    decided = len(decisions[make_table.S2T]) + len(decisions[make_table.T2S])
    print("%s OK: %d pairs, %d characters converted S->T, %d T->S, %d decided conflicts, chain-free both ways"
          % (os.path.basename(args.table), figures["pairs"], figures["s2t"], figures["t2s"], decided))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
