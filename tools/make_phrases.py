#!/usr/bin/python3
"""make_phrases.py: builds the phrase file data/Runewords.txt from OpenCC's phrase and character dictionaries.

Conversion by words replaces, scanning from the left, the longest listed phrase at each position by its
counterpart. The file carries both directions' phrase lists and, for the review list, the characters that have
more than one candidate form, each restricted to what GBK can hold.

Usage:
  python3 tools/make_phrases.py                    # shipped dumps in data/opencc/ -> data/Runewords.txt
  python3 tools/make_phrases.py --ocd2 /usr/share/opencc   # dump the installed dictionaries with opencc_dict first
  python3 tools/make_phrases.py --out FILE [--dumps DIR]
"""

import argparse
import os
import sys
import tempfile

sys.dont_write_bytecode = True  # keep the shared work tree free of __pycache__
import make_table  # noqa: E402

BANNER = b"Zendrix phrase table 1.0 (GBK): four sections, each a header line with its count, then its entries"
# Section names in file order; each direction's phrases, then each direction's characters with several forms.
SECTIONS = ("s2t phrases", "t2s phrases", "s2t candidates", "t2s candidates")
DICTIONARIES = {"s2t phrases": "STPhrases", "t2s phrases": "TSPhrases", "s2t candidates": "STCharacters",
                "t2s candidates": "TSCharacters"}

_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_DUMPS = os.path.join(_ROOT, "data", "opencc")
DEFAULT_OUT = os.path.join(_ROOT, "data", "Runewords.txt")


def is_gbk_text(text):
    """True for a non-empty text made only of characters that GBK stores in two bytes (no ASCII, CR or LF)."""
    return bool(text) and all(make_table.is_gbk_char(c) for c in text)


def gbk_key(text):
    return text.encode("gbk")


def select_phrases(dictionary):
    """Phrase -> first candidate, for the entries whose phrase and first candidate GBK holds.

    Returns the mapping and the dropped phrases by reason."""
    kept, outside_phrase, outside_counterpart = {}, [], []
    for phrase, candidates in dictionary.items():
        if not is_gbk_text(phrase):
            outside_phrase.append(phrase)
        elif not is_gbk_text(candidates[0]):
            outside_counterpart.append(phrase)
        else:
            kept[phrase] = candidates[0]
    return kept, {"phrase outside GBK": sorted(outside_phrase),
                  "first candidate outside GBK": sorted(outside_counterpart)}


def select_candidates(dictionary):
    """Character -> its distinct GBK candidates in OpenCC's order, for the GBK characters with more than one.

    Returns the mapping and the dictionary's several-candidate characters left out, by reason."""
    kept, outside_key, too_few = {}, [], []
    for char, candidates in dictionary.items():
        if len(set(candidates)) < 2:
            continue
        if not make_table.is_gbk_char(char):
            outside_key.append(char)
            continue
        usable = []
        for candidate in candidates:
            if make_table.is_gbk_char(candidate) and candidate not in usable:
                usable.append(candidate)
        if len(usable) < 2:
            too_few.append(char)
        else:
            kept[char] = usable
    return kept, {"character outside GBK": sorted(outside_key),
                  "fewer than two forms in GBK": sorted(too_few)}


def encode_file(sections):
    """sections: name -> {key: counterpart text or list of forms}. Entries follow their key's GBK bytes."""
    lines = [BANNER]
    for name in SECTIONS:
        entries = sections[name]
        lines.append(("%s %d" % (name, len(entries))).encode("ascii"))
        for key in sorted(entries, key=gbk_key):
            value = entries[key]
            value = "".join(value) if isinstance(value, list) else value
            lines.append(gbk_key(key) + b"\t" + gbk_key(value))
    return b"".join(line + b"\r\n" for line in lines)


def build(dictionaries):
    """dictionaries: OpenCC name -> parsed dump. Returns (file bytes, report)."""
    sections, report = {}, {}
    for name in SECTIONS:
        dictionary = dictionaries[DICTIONARIES[name]]
        select = select_phrases if name.endswith("phrases") else select_candidates
        kept, dropped = select(dictionary)
        sections[name] = kept
        report[name] = {"kept": len(kept), "dropped": dropped}
        if name.endswith("phrases"):
            report[name]["entries"] = len(dictionary)
            report[name]["several candidates"] = sum(1 for p in kept if len(dictionary[p]) > 1)
    return encode_file(sections), report


def dump_ocd2(directory, work):
    """Runs opencc_dict on the four dictionaries of an OpenCC installation; returns the folder of text dumps."""
    for name in DICTIONARIES.values():
        make_table.run_opencc_dict(os.path.join(directory, name + ".ocd2"), os.path.join(work, name + ".txt"))
    return work


def read_dictionaries(folder):
    return {name: make_table.read_dictionary(os.path.join(folder, name + ".txt")) for name in DICTIONARIES.values()}


def print_report(report, out, size):
    for name in SECTIONS:
        figures = report[name]
        total = " of %d" % figures["entries"] if "entries" in figures else ""
        print("%-15s kept %d%s" % (name, figures["kept"], total))
        for reason, items in figures["dropped"].items():
            print("%-15s dropped, %s: %d %s" % ("", reason, len(items), " ".join(items[:12])))
        if "several candidates" in figures:
            print("%-15s kept with more than one candidate (the first is used): %d" % ("",
                                                                                     figures["several candidates"]))
    print("wrote %s (%d bytes)" % (out, size))


def main(argv):
    parser = argparse.ArgumentParser(description="Build the Zendrix phrase file from OpenCC dictionaries.")
    parser.add_argument("--dumps", default=DEFAULT_DUMPS, help="folder of the text dumps (default: %(default)s)")
    parser.add_argument("--ocd2", metavar="DIR", help="dump the dictionaries of DIR with opencc_dict instead")
    parser.add_argument("--out", default=DEFAULT_OUT, help="phrase file to write (default: %(default)s)")
    args = parser.parse_args(argv)
    try:
        with tempfile.TemporaryDirectory() as work:
            folder = dump_ocd2(args.ocd2, work) if args.ocd2 else args.dumps
            data, report = build(read_dictionaries(folder))
        with open(args.out, "wb") as handle:
            handle.write(data)
    except (make_table.TableError, OSError) as error:
        print("make_phrases: %s" % error, file=sys.stderr)
        return 1
    print_report(report, args.out, len(data))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
