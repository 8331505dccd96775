#!/usr/bin/python3
"""regional_model.py: the fourteen regional conversions of OpenCC 1.4.2 in plain Python, over our own data.

Reads the phrase file (format 2.0, tools/make_regional.py) and the character table, converts UTF-8 text from
standard input under one config name and writes it to standard output. It shows what the engine can reach with
this data, rule for rule; it is slow and is not the engine.

Usage: python3 tools/regional_model.py --config NAME [--phrases FILE] [--table FILE] < in > out
"""

import argparse
import os
import sys

sys.dont_write_bytecode = True  # keep the shared work tree free of __pycache__
import make_regional  # noqa: E402

_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Each config: the dictionary that splits the text into segments (None: the whole text is one segment), then the
# steps applied to every segment in turn, each a short-circuit group of dictionaries (the first that matches at a
# position decides). Every config first replaces CJK compatibility ideographs over the whole text.
CONFIGS = {
    "s2t": (None, [["STPhrases", "STCharacters"]]),
    "t2s": (None, [["TSPhrases", "TSCharacters"]]),
    "s2tw": ("STPhrases", [["STPhrases", "STCharacters"], ["TWVariantsPhrases", "TWVariants"]]),
    "tw2s": ("TSPhrases", [["TWVariantsRevPhrases", "TWVariantsRev"], ["TSPhrases", "TSCharacters"]]),
    "s2twp": ("STPhrases", [["STPhrases", "STCharacters"], ["TWPhrases", "TWVariantsPhrases", "TWVariants"]]),
    "tw2sp": ("TSPhrases", [["TWPhrasesRev", "TWVariantsRevPhrases", "TWVariantsRev"],
                            ["TSPhrases", "TSCharacters"]]),
    "s2hk": ("STPhrases", [["STPhrases", "STCharacters"], ["HKVariantsPhrases", "HKVariants"]]),
    "hk2s": ("TSPhrases", [["HKVariantsRevPhrases", "HKVariantsRev"], ["TSPhrases", "TSCharacters"]]),
    "s2hkp": ("STPhrases", [["STPhrases", "STCharacters"], ["HKPhrases", "HKVariantsPhrases", "HKVariants"]]),
    "hk2sp": ("TSPhrases", [["HKPhrasesRev", "HKVariantsRevPhrases", "HKVariantsRev"],
                            ["TSPhrases", "TSCharacters"]]),
    "t2tw": (None, [["TWVariantsPhrases", "TWVariants"]]),
    "tw2t": (None, [["TWVariantsRevPhrases", "TWVariantsRev"]]),
    "t2hk": (None, [["HKVariantsPhrases", "HKVariants"]]),
    "hk2t": (None, [["HKVariantsRevPhrases", "HKVariantsRev"]]),
}
NORMALIZATION = "CJK_Compatibility_Ideographs"

# Ideographic description operators and the number of operands each takes.
IDS_ARITY = {0x2FF2: 3, 0x2FF3: 3, 0x2FFE: 1, 0x2FFF: 1}
IDS_ARITY.update({cp: 2 for cp in (0x2FF0, 0x2FF1, 0x2FF4, 0x2FF5, 0x2FF6, 0x2FF7, 0x2FF8, 0x2FF9, 0x2FFA, 0x2FFB,
                                   0x2FFC, 0x2FFD)})
IDS_MAX_DEPTH = 16
IDS_MAX_CODE_POINTS = 64


class Dictionary:
    """Longest match of the keys starting at a position; fallback (the character table) answers single characters
    that have no entry."""

    def __init__(self, entries, fallback=None):
        self.entries = entries
        self.fallback = fallback or {}
        self.lengths = {}
        for key in entries:
            self.lengths.setdefault(key[0], set()).add(len(key))
        for char in self.fallback:
            self.lengths.setdefault(char, set()).add(1)
        self.lengths = {char: sorted(lengths, reverse=True) for char, lengths in self.lengths.items()}

    def match(self, text, pos, end):
        for length in self.lengths.get(text[pos], ()):
            if pos + length <= end:
                key = text[pos:pos + length]
                value = self.entries.get(key)
                if value is not None:
                    return length, value
                if length == 1 and key in self.fallback:
                    return 1, self.fallback[key]
        return 0, None


def ids_length(text, pos, end):
    """Length of a complete ideographic description sequence at pos, 0 when there is none."""
    count = [0]

    def consume(at, depth):
        if at >= end:
            return None
        if depth == 0 or count[0] >= IDS_MAX_CODE_POINTS:
            return None
        count[0] += 1
        arity = IDS_ARITY.get(ord(text[at]), 0)
        at += 1
        for _ in range(arity):
            at = consume(at, depth - 1)
            if at is None:
                return None
        return at

    if ord(text[pos]) not in IDS_ARITY:
        return 0
    stop = consume(pos, IDS_MAX_DEPTH)
    return 0 if stop is None else stop - pos


def group_match(group, text, pos, end):
    for dictionary in group:
        length, value = dictionary.match(text, pos, end)
        if length:
            return length, value
    return 0, None


def convert(group, text):
    """One conversion step over one segment: at each position the group's match is replaced; elsewhere an
    ideographic description sequence or a single character is copied."""
    out, pos, end = [], 0, len(text)
    while pos < end:
        length, value = group_match(group, text, pos, end)
        if length:
            out.append(value)
        else:
            length = ids_length(text, pos, end) or 1
            out.append(text[pos:pos + length])
        pos += length
    return "".join(out)


def segment(dictionary, text):
    """Segments: each match of the dictionary (longest, from the left), and each run of text between them."""
    segments, pos, run, end = [], 0, 0, len(text)
    while pos < end:
        length, _ = dictionary.match(text, pos, end)
        if length:
            if run < pos:
                segments.append(text[run:pos])
            segments.append(text[pos:pos + length])
            pos += length
            run = pos
        else:
            pos += ids_length(text, pos, end) or 1
    if run < end:
        segments.append(text[run:end])
    return segments


def load(phrases_path, table_path):
    problems = []
    with open(phrases_path, "rb") as handle:
        sections = make_regional.parse_file(handle.read(), problems, ascii=True)
    if problems:
        raise SystemExit("regional_model: %s: %s" % (phrases_path, problems[0]))
    with open(table_path, "rb") as handle:
        s2t, t2s = make_regional.read_table_maps(handle.read())
    fallbacks = {"STCharacters": s2t, "TSCharacters": t2s}
    dictionaries = {}
    for name, entries in sections:
        if name.startswith("dictionary "):
            name = name[len("dictionary "):]
            dictionaries[name] = Dictionary(dict(entries), fallbacks.get(name))
    return dictionaries


def run(config, dictionaries, text):
    segmentation, steps = CONFIGS[config]
    text = convert([dictionaries[NORMALIZATION]], text)
    segments = segment(dictionaries[segmentation], text) if segmentation else [text]
    groups = [[dictionaries[name] for name in step] for step in steps]
    out = []
    for piece in segments:
        for group in groups:
            piece = convert(group, piece)
        out.append(piece)
    return "".join(out)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--config", required=True, choices=sorted(CONFIGS))
    parser.add_argument("--phrases", default=os.path.join(_ROOT, "data", "Runewords.txt"))
    parser.add_argument("--table", default=os.path.join(_ROOT, "data", "Runemap.dll"))
    args = parser.parse_args(argv)
    dictionaries = load(args.phrases, args.table)
    text = sys.stdin.buffer.read().decode("utf-8")
    sys.stdout.buffer.write(run(args.config, dictionaries, text).encode("utf-8"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
