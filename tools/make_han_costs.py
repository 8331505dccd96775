#!/usr/bin/env python3
"""make_han_costs.py: writes core/HanCostTable.cpp, what each character costs as Chinese text, for telling GBK
text from Big5 text and from text in neither.

A character's cost is minus the base-2 log of its probability in Chinese text, rounded to whole bits and kept
in four bits (levels 0 to 15 stand for 4 to 19 bits). The probability is the mean of two estimates, one for
Simplified text and one for Traditional text, each counted on the DEVELOPMENT half of the corpora that
bench/make_detection_corpus.py uses (the half a document goes to is decided by the CRC-32 of its name, the
other half is kept for the figures):
  Simplified:  the zh_CN gettext catalogues and the zh_CN manual pages of manpages-zh;
  Traditional: the zh_TW and zh_HK catalogues and the zh_TW manual pages.
Each estimate is smoothed with a prior from the standard's own levels, so that a character the corpora happen
not to hold is priced by how common the standard holds it to be: for Simplified GB2312's level 1 and level 2
hanzi and its punctuation rows, for Traditional Big5's level 1 (A440-C67E) and level 2 (C940-F9D5) and its
punctuation rows; everything else the two encodings hold shares a small remainder.

The table covers the blocks below; a character outside them costs 19 bits (the C++ side adds to this for the
private use area).

How characters join: the BIGRAMS commonest pairs of adjacent hanzi of the same counts, the Simplified ones
mixed half and half with the pairs within the words of jieba's dictionary (general text; Simplified and
Traditional each weighted to half), are kept in a Bloom filter of 2^17 bits with two hashes (kHanPairBits). In
real text most pairs of hanzi are among them; in bytes of another encoding read as Chinese few are. The script
prints how many pairs of the counted text the filter holds and how many pairs of characters drawn at random by
their frequencies it holds (its false positives included): the C++ side prices a pair found and a pair not
found from such rates.
Needs Debian's python3-jieba besides the corpora's packages.
Usage: python3 tools/make_han_costs.py [--check]  (--check: exit 1 if the committed file differs)
"""
import argparse
import collections
import math
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "bench"))
sys.path.insert(0, str(ROOT / "tools"))
from make_detection_corpus import catalogue_documents, half_of, manpage_documents  # noqa: E402
from make_big5_codec import two_byte_map  # noqa: E402

OUTPUT = ROOT / "core" / "HanCostTable.cpp"
BLOCKS = [(0x0080, 0x04FF), (0x2000, 0x27FF), (0x3000, 0x33FF), (0x4E00, 0x9FFF), (0xFE30, 0xFFEF)]
FIRST_LEVEL_BITS = 4
LEVELS = 16
SMOOTHING = 0.05  # the share of each estimate that comes from the prior
# The prior's share of each class of characters, spread evenly over the class.
CLASS_MASS = {"level1": 0.80, "level2": 0.12, "punct": 0.05, "other": 0.03}
BIGRAMS = 20000
FILTER_BITS = 17
# General text beside the software's for the Simplified pairs: the word frequencies of jieba's dictionary
# (Debian's python3-jieba, counted on news and other general text), whose pairs of hanzi within words weigh
# this share. Software's texts alone hardly hold place names, people's names and everyday words.
GENERAL_TEXT = pathlib.Path("/usr/lib/python3/dist-packages/jieba/dict.txt")
GENERAL_SHARE = 0.5


def is_han(cp):
    return 0x4E00 <= cp <= 0x9FFF


def pair_hashes(a, b):
    """The filter's two bit positions for hanzi a then b (code points); HanCosts.cpp computes the same."""
    x = (a - 0x4E00) * 20992 + (b - 0x4E00)
    h1 = ((x * 2654435761) & 0xFFFFFFFF) >> (32 - FILTER_BITS)
    h2 = (((x ^ 0x5BD1E995) * 2246822519) & 0xFFFFFFFF) >> (32 - FILTER_BITS)
    return h1, h2


def gb2312_class(code):
    lead, trail = code >> 8, code & 0xFF
    if trail < 0xA1:
        return "other"
    if 0xB0 <= lead <= 0xD7:
        return "level1"
    if 0xD8 <= lead <= 0xF7:
        return "level2"
    if lead in (0xA1, 0xA3):
        return "punct"
    return "other"


def big5_class(code):
    if 0xA440 <= code <= 0xC67E:
        return "level1"
    if 0xC940 <= code <= 0xF9D5:
        return "level2"
    if 0xA140 <= code <= 0xA3BF:
        return "punct"
    return "other"


def held():
    """Every character outside ASCII that GBK or Big5 holds (private use left out), with its class in each."""
    gbk, big5 = {}, {}
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            if trail == 0x7F:
                continue
            try:
                ch = bytes([lead, trail]).decode("gbk")
            except UnicodeDecodeError:
                continue
            if len(ch) == 1 and not 0xE000 <= ord(ch) <= 0xF8FF:
                gbk.setdefault(ord(ch), gb2312_class(lead << 8 | trail))
    for code, cp in sorted(two_byte_map().items()):
        if not 0xE000 <= cp <= 0xF8FF:
            big5.setdefault(cp, big5_class(code))
    return gbk, big5


def counts(docs):
    counter = collections.Counter()
    pairs = collections.Counter()
    for name, lines in docs:
        if half_of(name) != "dev":
            continue
        for line in lines:
            counter.update(ch for ch in line if ord(ch) >= 0x80)
            pairs.update((ord(a), ord(b)) for a, b in zip(line, line[1:]) if is_han(ord(a)) and is_han(ord(b)))
    return counter, pairs


def general_counts():
    """Pairs of hanzi within the words of the general text, each word counted as often as its frequency says."""
    if not GENERAL_TEXT.exists():
        sys.exit("make_han_costs: %s is missing (apt-get install python3-jieba)" % GENERAL_TEXT)
    pairs = collections.Counter()
    with open(GENERAL_TEXT, encoding="utf-8") as words:
        for line in words:
            fields = line.split()
            if len(fields) < 2:
                continue
            word, frequency = fields[0], int(fields[1])
            for a, b in zip(word, word[1:]):
                if is_han(ord(a)) and is_han(ord(b)):
                    pairs[(ord(a), ord(b))] += frequency
    return pairs


def pair_filter(pairs_s, pairs_t, p_s, p_t):
    """pairs_s, pairs_t: for each script, (pairs, share) of each source."""
    weight = collections.Counter()
    for sources in (pairs_s, pairs_t):
        for pairs, share in sources:
            n = sum(pairs.values())
            for pair, count in pairs.items():
                weight[pair] += share * count / n / 2
    kept = [pair for pair, _ in weight.most_common(BIGRAMS)]
    bits = bytearray(1 << FILTER_BITS >> 3)
    for a, b in kept:
        for h in pair_hashes(a, b):
            bits[h >> 3] |= 1 << (h & 7)

    def held(a, b):
        return all(bits[h >> 3] >> (h & 7) & 1 for h in pair_hashes(a, b))

    covered = sum(w for pair, w in weight.items() if held(*pair))
    # Pairs of hanzi drawn independently by frequency: how often the filter answers yes.
    han = [cp for cp in p_s if is_han(cp)]
    prob = {cp: (p_s[cp] + p_t[cp]) / 2 for cp in han}
    top = sorted(han, key=prob.get, reverse=True)[:1500]
    mass = sum(prob[cp] for cp in top)
    random_yes = sum(prob[a] * prob[b] for a in top for b in top if held(a, b)) / (mass * mass)
    return bytes(bits), covered, random_yes


def estimate(counter, classes, universe):
    total = sum(counter[cp] for cp in map(chr, universe))
    sizes = collections.Counter(classes.get(cp, "other") for cp in universe)
    prob = {}
    for cp in universe:
        cls = classes.get(cp, "other")
        prior = CLASS_MASS[cls] / sizes[cls]
        prob[cp] = (1 - SMOOTHING) * counter[chr(cp)] / total + SMOOTHING * prior
    return prob, total


def levels():
    gbk, big5 = held()
    universe = sorted(set(gbk) | set(big5))
    simplified, pairs_s = counts(catalogue_documents("zh_CN") + manpage_documents("zh_CN"))
    traditional, pairs_t = counts(catalogue_documents("zh_TW") + catalogue_documents("zh_HK") +
                                  manpage_documents("zh_TW"))
    p_s, n_s = estimate(simplified, gbk, universe)
    p_t, n_t = estimate(traditional, big5, universe)
    table = {}
    for cp in universe:
        bits = -math.log2((p_s[cp] + p_t[cp]) / 2)
        table[cp] = min(LEVELS - 1, max(0, round(bits) - FIRST_LEVEL_BITS))
    general = (general_counts(), GENERAL_SHARE)
    return table, n_s, n_t, pair_filter([(pairs_s, 1 - GENERAL_SHARE), general], [(pairs_t, 1.0)], p_s, p_t)


def render(table, n_s, n_t, pair_bits):
    lines = [
        "// HanCostTable.cpp: what each character costs as Chinese text, four bits a character.",
        "// Generated by tools/make_han_costs.py; do not edit. Counted on %d Simplified and %d Traditional" % (n_s, n_t),
        "// characters of the development half; level k is 4 + k bits. Two characters a byte, the first in the low",
        "// bits.",
        '#include "HanCosts.hpp"',
        "",
        "namespace detection {",
        "",
        "const HanCostBlock kHanCostBlocks[kHanCostBlockCount] = {",
    ]
    offset = 0
    nibbles = []
    for first, last in BLOCKS:
        lines.append("    {0x%04X, 0x%04X, %d}," % (first, last, offset))
        for cp in range(first, last + 1):
            nibbles.append(table.get(cp, LEVELS - 1))
        offset += last - first + 1
    lines += ["};", "", "const unsigned char kHanCostLevels[%d] = {" % ((len(nibbles) + 1) // 2)]
    if len(nibbles) % 2:
        nibbles.append(LEVELS - 1)
    packed = [nibbles[k] | nibbles[k + 1] << 4 for k in range(0, len(nibbles), 2)]
    for k in range(0, len(packed), 24):
        lines.append("    " + " ".join("0x%02X," % b for b in packed[k:k + 24]))
    lines += ["};", "", "const unsigned char kHanPairBits[%d] = {" % len(pair_bits)]
    for k in range(0, len(pair_bits), 24):
        lines.append("    " + " ".join("0x%02X," % b for b in pair_bits[k:k + 24]))
    lines += ["};", "", "}  // namespace detection", ""]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--show", metavar="TEXT", help="print the cost of each character of TEXT and stop")
    args = parser.parse_args()
    table, n_s, n_t, (pair_bits, covered, random_yes) = levels()
    if args.show:
        for ch in args.show:
            print(ch, "U+%04X" % ord(ch), FIRST_LEVEL_BITS + table.get(ord(ch), LEVELS - 1), "bits")
        return 0
    text = render(table, n_s, n_t, pair_bits)
    if args.check:
        if not OUTPUT.exists() or OUTPUT.read_text(encoding="utf-8") != text:
            print("%s is not what the generator makes" % OUTPUT.relative_to(ROOT), file=sys.stderr)
            return 1
        print("%s: up to date" % OUTPUT.relative_to(ROOT))
        return 0
    OUTPUT.write_text(text, encoding="utf-8")
    print("wrote %s (%d levels)" % (OUTPUT.relative_to(ROOT), len(table)))
    hist = collections.Counter(table.values())
    print("levels:", " ".join("%d:%d" % (FIRST_LEVEL_BITS + k, hist[k]) for k in range(LEVELS)))
    print("pairs of hanzi: %.1f%% of the counted text's in the filter, %.1f%% of random pairs" %
          (100 * covered, 100 * random_yes))
    return 0


if __name__ == "__main__":
    sys.exit(main())
