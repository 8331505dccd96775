#!/usr/bin/python3
"""check_phrases.py: verifies the shipped phrase file data/Runewords.txt.

Checks the format the program's loader accepts (banner, four sections in order with their counts, entries of
two-byte GBK characters only, keys in ascending byte order so none is listed twice), that every entry is OpenCC's
(first candidate of each kept phrase, every GBK candidate of each character with several) and nothing of OpenCC's
that GBK holds is missing, that data/README.md gives the kept counts, and that the file is what
tools/make_phrases.py builds from the shipped dumps. Exits 1 with the reasons on any violation.

Usage: python3 tools/check_phrases.py [--phrases FILE] [--dumps DIR] [--readme FILE]
"""

import argparse
import os
import sys

sys.dont_write_bytecode = True  # keep the shared work tree free of __pycache__
import check_table  # noqa: E402
import make_phrases  # noqa: E402
import make_table  # noqa: E402

# Written out again rather than taken from the generator, so that a wrong banner or order there is caught here.
BANNER = b"Zendrix phrase table 1.0 (GBK): four sections, each a header line with its count, then its entries"
SECTIONS = ("s2t phrases", "t2s phrases", "s2t candidates", "t2s candidates")
MIN_PHRASES = {"s2t phrases": 40000, "t2s phrases": 200}
_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def parse_sections(lines, problems):
    """name -> list of (key bytes, value bytes), or None when the layout is broken."""
    if not lines or lines[0] != BANNER:
        problems.append("line 1 is %r, expected the banner %r" % (lines[0] if lines else b"", BANNER))
        return None
    sections, at = {}, 1
    for name in SECTIONS:
        header = lines[at].decode("ascii", "replace").split(" ") if at < len(lines) else []
        if len(header) != 3 or " ".join(header[:2]) != name or not header[2].isdigit():
            problems.append("line %d: expected the header '%s COUNT'" % (at + 1, name))
            return None
        count = int(header[2])
        entries = [line.split(b"\t") for line in lines[at + 1:at + 1 + count]]
        if len(entries) != count or any(len(fields) != 2 for fields in entries):
            problems.append("section %s: expected %d lines 'key TAB value'" % (name, count))
            return None
        sections[name] = [tuple(fields) for fields in entries]
        at += 1 + count
    if at != len(lines):
        problems.append("%d lines after the last section" % (len(lines) - at))
        return None
    return sections


def decode(field, where, problems):
    chars = check_table.decode_line(field, 0, [])
    if not chars:
        problems.append("%s: %r is not made of two-byte GBK characters" % (where, field))
    return chars


def check_section(name, entries, problems):
    """The section's entries as text, keys strictly ascending in GBK bytes."""
    decoded, previous = {}, None
    for number, (key, value) in enumerate(entries, 1):
        where = "%s, entry %d" % (name, number)
        if previous is not None and key <= previous:
            problems.append("%s: %r does not follow %r in byte order (or repeats it)" % (where, key, previous))
        previous = key
        key_chars, value_chars = decode(key, where, problems), decode(value, where, problems)
        if not key_chars or not value_chars:
            continue
        if name.endswith("candidates") and (len(key_chars) != 1 or len(set(value_chars)) != len(value_chars) or
                                            len(value_chars) < 2):
            problems.append("%s: expected one character and at least two distinct forms" % where)
        decoded["".join(key_chars)] = value_chars if name.endswith("candidates") else "".join(value_chars)
    return decoded


def expected_entries(name, dictionary):
    """What OpenCC's dictionary gives for the section, as far as GBK holds it."""
    if name.endswith("phrases"):
        return {phrase: candidates[0] for phrase, candidates in dictionary.items()
                if make_phrases.is_gbk_text(phrase) and make_phrases.is_gbk_text(candidates[0])}
    expected = {}
    for char, candidates in dictionary.items():
        forms = []
        for c in candidates:
            if make_table.is_gbk_char(c) and c not in forms:
                forms.append(c)
        if make_table.is_gbk_char(char) and len(forms) >= 2 and len(set(candidates)) >= 2:
            expected[char] = forms
    return expected


def check_against_opencc(name, decoded, dictionary, problems):
    expected = expected_entries(name, dictionary)
    for key in sorted(set(expected) | set(decoded)):
        if key not in decoded:
            problems.append("%s: OpenCC's %s -> %s is missing" % (name, key, expected[key]))
        elif key not in expected:
            problems.append("%s: %s is not an entry OpenCC gives within GBK" % (name, key))
        elif decoded[key] != expected[key]:
            problems.append("%s: %s gives %s, OpenCC %s" % (name, key, decoded[key], expected[key]))


def check_phrase_file(data, dictionaries):
    """Returns (problems, kept count per section) for the bytes of a phrase file."""
    problems = []
    lines = check_table.split_crlf_lines(data, problems)
    sections = parse_sections(lines, problems) if lines is not None else None
    if sections is None:
        return problems, None
    counts = {}
    for name in SECTIONS:
        decoded = check_section(name, sections[name], problems)
        check_against_opencc(name, decoded, dictionaries[make_phrases.DICTIONARIES[name]], problems)
        counts[name] = len(sections[name])
        if counts[name] < MIN_PHRASES.get(name, 1):
            problems.append("%s: only %d entries" % (name, counts[name]))
    return problems, counts


def check_readme(readme, counts, problems):
    for name, count in counts.items():
        if "| %s | %s |" % (name, format(count, ",")) not in readme:
            problems.append("data/README.md has no row '| %s | %s |' for the kept entries" % (name,
                                                                                           format(count, ",")))


def main(argv):
    parser = argparse.ArgumentParser(description="Verify the Zendrix phrase file.")
    parser.add_argument("--phrases", default=make_phrases.DEFAULT_OUT)
    parser.add_argument("--dumps", default=make_phrases.DEFAULT_DUMPS)
    parser.add_argument("--readme", default=os.path.join(_ROOT, "data", "README.md"))
    args = parser.parse_args(argv)
    try:
        data, readme = check_table.read_file_and_readme(args.phrases, args.readme)
        dictionaries = make_phrases.read_dictionaries(args.dumps)
    except (make_table.TableError, OSError, UnicodeDecodeError) as error:
        print("check_phrases: %s" % error, file=sys.stderr)
        return 1
    problems, counts = check_phrase_file(data, dictionaries)
    if counts is not None:
        check_readme(readme, counts, problems)
    if not problems and make_phrases.build(dictionaries)[0] != data:
        problems.append("%s is not what tools/make_phrases.py builds from the shipped dumps: regenerate it"
                        % args.phrases)
    if check_table.report_problems("check_phrases", problems):
        return 1
    print("%s OK: %s" % (os.path.basename(args.phrases), ", ".join("%d %s" % (counts[n], n) for n in SECTIONS)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
