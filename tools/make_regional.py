#!/usr/bin/python3
"""make_regional.py: builds the phrase file, format 2.0, from the OpenCC 1.4.2 dictionaries in data/opencc-1.4.2/.

The file holds every dictionary that OpenCC 1.4.2's fourteen regional configs use, each restricted to what GBK
holds, as named sections, and the characters with several forms for the review list. The character
dictionaries hold only what differs from the character table, which stays the base of every conversion.

Usage:
  python3 tools/make_regional.py --out FILE            # build
  python3 tools/make_regional.py --check FILE          # verify FILE: format, content, figures in data/README.md
  options: --dumps DIR (default data/opencc-1.4.2), --table FILE (default data/Runemap.dll)
"""

import argparse
import os
import re
import sys

sys.dont_write_bytecode = True  # keep the shared work tree free of __pycache__
import make_phrases  # noqa: E402
import make_table  # noqa: E402

BANNER = b"Zendrix phrase table 2.0 (GBK): named sections, each a header line NAME COUNT, then its entries"

# Dictionary sections in file order, each with the OpenCC dictionaries it is made of. Several sources form one
# union group of OpenCC (the longest key of any of them matches; for a key listed in more than one, the first
# source's value is used), which a single dictionary reproduces exactly.
DICTIONARY_SECTIONS = (
    ("CJK_Compatibility_Ideographs", ("CJK_Compatibility_Ideographs",)),
    ("STPhrases", ("STPhrases", "STPhrases_GeneratedFromRegionalPhrases")),
    ("STCharacters", ("STCharacters",)),
    ("TSPhrases", ("TSPhrases",)),
    ("TSCharacters", ("TSCharacters",)),
    ("TWPhrases", ("TWPhrases",)),
    ("TWVariantsPhrases", ("TWVariantsPhrases",)),
    ("TWVariants", ("TWVariants",)),
    ("TWPhrasesRev", ("TWPhrasesRev",)),
    ("TWVariantsRevPhrases", ("TWVariantsRevPhrases",)),
    ("TWVariantsRev", ("TWVariantsRev",)),
    ("HKPhrases", ("HKPhrases",)),
    ("HKVariantsPhrases", ("HKVariantsPhrases",)),
    ("HKVariants", ("HKVariants",)),
    ("HKPhrasesRev", ("HKPhrasesRev",)),
    ("HKVariantsRevPhrases", ("HKVariantsRevPhrases",)),
    ("HKVariantsRev", ("HKVariantsRev",)),
)
# Character dictionaries stored as differences from the table: which line of the table is searched for a key.
TABLE_SIDE = {"STCharacters": 0, "TSCharacters": 1}
CANDIDATE_SECTIONS = (("candidates s2t", "STCharacters"), ("candidates t2s", "TSCharacters"))
SOURCES = sorted({s for _, sources in DICTIONARY_SECTIONS for s in sources})

_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_DUMPS = os.path.join(_ROOT, "data", "opencc-1.4.2")
DEFAULT_TABLE = os.path.join(_ROOT, "data", "Runemap.dll")
DEFAULT_README = os.path.join(_ROOT, "data", "README.md")


def merge_union(dictionaries):
    """One dictionary equal to an OpenCC union group: every key, with the value of the first source that has it."""
    merged = {}
    for dictionary in dictionaries:
        for key, candidates in dictionary.items():
            merged.setdefault(key, candidates)
    return merged


def is_entry_text(text, ascii=True):
    """Two-byte GBK characters, with printable ASCII (no space) among them unless ascii is false."""
    if not ascii:
        return make_phrases.is_gbk_text(text)
    return any(make_table.is_gbk_char(c) for c in text) and all(
        make_table.is_gbk_char(c) or "!" <= c <= "~" for c in text)


def why_not_gbk(text, ascii=True):
    """None for a text an entry may hold; else the reason it cannot be one."""
    if is_entry_text(text, ascii):
        return None
    try:
        text.encode("gbk")
    except UnicodeEncodeError:
        return "outside GBK"
    return "with ASCII"  # GBK holds it, but without ascii the entries are two-byte characters only


def select_entries(dictionary, ascii=True):
    """Key -> the form OpenCC uses (first candidate), for entries whose key and form are two-byte GBK characters;
    and what is left out, by reason. Merging comes first, so a key whose winning form GBK cannot hold is dropped,
    not given the form of a later source."""
    kept = {}
    dropped = {"key outside GBK": [], "key with ASCII": [], "form outside GBK": [], "form with ASCII": []}
    for key, candidates in dictionary.items():
        key_fault, form_fault = why_not_gbk(key, ascii), why_not_gbk(candidates[0], ascii)
        if key_fault:
            dropped["key " + key_fault].append(key)
        elif form_fault:
            dropped["form " + form_fault].append(key)
        else:
            kept[key] = candidates[0]
    return kept, {reason: sorted(keys) for reason, keys in dropped.items()}


def read_table_maps(data):
    """The table's conversions: (Simplified -> Traditional, Traditional -> Simplified) by first occurrence."""
    lines = data.split(b"\r\n")
    if len(lines) != 4 or lines[1] != make_table.BANNER or lines[3] != b"" or len(lines[0]) != len(lines[2]):
        raise make_table.TableError("not a character table: %d lines" % len(lines))
    pairs = list(zip(lines[0].decode("gbk"), lines[2].decode("gbk")))
    return make_table.first_occurrences(pairs, 0), make_table.first_occurrences(pairs, 1)


def table_differences(kept, table_map):
    """The entries of a character dictionary that the table does not already give.

    For a character, OpenCC's form is its entry's form, or the character itself when it has no entry; the
    table's is its first occurrence's counterpart, or the character itself. Entries whose forms agree are left
    out; a character the table converts but OpenCC does not gets an identity entry. Keys longer than one
    character are kept as they are (the table holds single characters only)."""
    shipped, identities = {}, []
    for key, form in kept.items():
        if len(key) != 1 or table_map.get(key, key) != form:
            shipped[key] = form
    for char, form in table_map.items():
        if form != char and char not in kept and char not in shipped:
            shipped[char] = char
            identities.append(char)
    return shipped, sorted(identities)


def gbk_sorted(keys):
    return sorted(keys, key=make_phrases.gbk_key)


def encode_file(sections):
    """sections: list of (header name, {key: value text}). Entries follow their key's GBK bytes."""
    lines = [BANNER]
    for name, entries in sections:
        lines.append(("%s %d" % (name, len(entries))).encode("ascii"))
        for key in gbk_sorted(entries):
            lines.append(make_phrases.gbk_key(key) + b"\t" + make_phrases.gbk_key(entries[key]))
    return b"".join(line + b"\r\n" for line in lines)


def build(dictionaries, table_data, ascii=True):
    """dictionaries: OpenCC name -> parsed dump. Returns (file bytes, report). With ascii, entries may hold
    printable ASCII besides two-byte GBK characters."""
    s2t, t2s = read_table_maps(table_data)
    table_maps = (s2t, t2s)
    sections, report = [], []
    for name, sources in DICTIONARY_SECTIONS:
        merged = merge_union([dictionaries[s] for s in sources])
        kept, dropped = select_entries(merged, ascii)
        figures = {"name": "dictionary " + name, "sources": sources, "entries": len(merged), "dropped": dropped,
                   "gbk": len(kept)}
        if name in TABLE_SIDE:
            kept, identities = table_differences(kept, table_maps[TABLE_SIDE[name]])
            figures["identities"] = identities
        figures["kept"] = len(kept)
        sections.append(("dictionary " + name, kept))
        report.append(figures)
    for name, source in CANDIDATE_SECTIONS:
        kept, dropped = make_phrases.select_candidates(dictionaries[source])
        sections.append((name, {key: "".join(forms) for key, forms in kept.items()}))
        report.append({"name": name, "sources": (source,), "kept": len(kept), "dropped": dropped})
    return encode_file(sections), report


def parse_file(data, problems, ascii=True):
    """Strict reading of a 2.0 phrase file: returns [(header name, [(key, value)])]; faults go to problems.
    With ascii, entries may also hold printable ASCII."""
    if not data.endswith(b"\r\n"):
        problems.append("the file does not end with CR LF")
        return []
    lines = data[:-2].split(b"\r\n")
    if any(b"\r" in line or b"\n" in line for line in lines):
        problems.append("a line end other than CR LF")
        return []
    if lines[0] != BANNER:
        problems.append("line 1 is not the banner")
        return []
    sections, number = [], 1
    while number < len(lines):
        header = re.fullmatch(rb"([a-z]+(?: [A-Za-z0-9_]+)?(?: [a-z0-9]+)?) (0|[1-9][0-9]*)", lines[number])
        if header is None:
            problems.append("line %d: expected a header NAME COUNT" % (number + 1))
            return sections
        name, count = header.group(1).decode("ascii"), int(header.group(2))
        if number + count >= len(lines):
            problems.append("line %d: %s announces %d entries, fewer follow" % (number + 1, name, count))
            return sections
        entries, previous = [], None
        for index in range(number + 1, number + 1 + count):
            fields = lines[index].split(b"\t")
            where = "line %d (%s)" % (index + 1, name)
            if len(fields) != 2:
                problems.append("%s: expected KEY TAB VALUE" % where)
                continue
            decoded = []
            for field in fields:
                try:
                    text = field.decode("gbk")
                except UnicodeDecodeError:
                    text = ""
                if not is_entry_text(text, ascii):
                    problems.append("%s: not two-byte GBK characters only" % where)
                decoded.append(text)
            if previous is not None and fields[0] <= previous:
                problems.append("%s: key not after the previous one in byte order" % where)
            previous = fields[0]
            entries.append(tuple(decoded))
        sections.append((name, entries))
        number += count + 1
    return sections


def read_dictionaries(folder):
    return {name: make_table.read_dictionary(os.path.join(folder, name + ".txt")) for name in SOURCES}


def report_lines(report, size):
    out = []
    for figures in report:
        line = "%-34s kept %6d" % (figures["name"], figures["kept"])
        if "entries" in figures:
            line += " of %d entries of %s" % (figures["entries"], " + ".join(figures["sources"]))
        if "identities" in figures:
            line += "; %d in GBK, %d differ from the table (%d of them identity entries)" % (
                figures["gbk"], figures["kept"], len(figures["identities"]))
        out.append(line)
        for reason, items in figures["dropped"].items():
            if items:
                out.append("%-34s dropped, %s: %d %s" % ("", reason, len(items), " ".join(items[:10])))
    out.append("file size %d bytes" % size)
    return out


def check(path, dumps, table, readme, ascii=True):
    problems = []
    try:
        with open(path, "rb") as handle:
            data = handle.read()
        with open(table, "rb") as handle:
            expected, report = build(read_dictionaries(dumps), handle.read(), ascii)
        with open(readme, encoding="utf-8") as handle:
            readme_text = handle.read()
    except (make_table.TableError, OSError) as error:
        return ["cannot check: %s" % error]
    sections = parse_file(data, problems, ascii)
    names = [name for name, _ in sections]
    wanted = [figures["name"] for figures in report]
    if not problems and names != wanted:
        problems.append("sections %s, expected %s" % (" / ".join(names), " / ".join(wanted)))
    if not problems and data != expected:
        problems.append("the file differs from what the generator builds from %s and %s" % (dumps, table))
    for figures in report if ascii else ():
        row = "| `%s` | %s |" % (figures["name"], format(figures["kept"], ","))
        if row not in readme_text:
            problems.append("%s does not give the figure row %s" % (readme, row))
    return problems


def main(argv):
    parser = argparse.ArgumentParser(description="Build or check the Zendrix phrase file (format 2.0).")
    mode = parser.add_mutually_exclusive_group(required=True)
    mode.add_argument("--out", help="phrase file to write")
    mode.add_argument("--check", metavar="FILE", help="verify FILE instead of writing")
    parser.add_argument("--dumps", default=DEFAULT_DUMPS, help="folder of the text dumps (default: %(default)s)")
    parser.add_argument("--table", default=DEFAULT_TABLE, help="character table (default: %(default)s)")
    parser.add_argument("--readme", default=DEFAULT_README, help="where the figures are (default: %(default)s)")
    parser.add_argument("--two-byte-only", action="store_true",
                        help="leave out the entries with printable ASCII among their characters (U盤, PN結); "
                             "not the shipped form")
    args = parser.parse_args(argv)
    if args.check:
        problems = check(args.check, args.dumps, args.table, args.readme, not args.two_byte_only)
        for problem in problems[:20]:
            print("make_regional --check: %s" % problem, file=sys.stderr)
        if problems:
            print("make_regional --check: %d faults in %s" % (len(problems), args.check), file=sys.stderr)
            return 1
        print("make_regional --check: %s is correct" % args.check)
        return 0
    try:
        with open(args.table, "rb") as handle:
            data, report = build(read_dictionaries(args.dumps), handle.read(), not args.two_byte_only)
        with open(args.out, "wb") as handle:
            handle.write(data)
    except (make_table.TableError, OSError) as error:
        print("make_regional: %s" % error, file=sys.stderr)
        return 1
    print("\n".join(report_lines(report, len(data))))
    print("wrote %s" % args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
