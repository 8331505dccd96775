#!/usr/bin/python3
"""make_table.py: builds the character table file data/Runemap.dll from OpenCC's character dictionaries.

The program converts a character by its FIRST occurrence on the search line and converts results again when they
are listed themselves, so the table is laid out here so that every first occurrence gives the wanted form on both
lines and no converted character converts a second time.

Usage:
  python3 tools/make_table.py                    # shipped dumps in data/opencc/ -> data/Runemap.dll
  python3 tools/make_table.py --st ST.txt --ts TS.txt --out FILE
  python3 tools/make_table.py --ocd2 /usr/share/opencc   # dump the installed dictionaries with opencc_dict first
"""

import argparse
import os
import subprocess
import sys
import tempfile

BANNER = b"Zendrix character table 1.0 (GBK): line 1 Simplified, line 3 Traditional"
S2T = "s2t"
T2S = "t2s"

_ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_ST = os.path.join(_ROOT, "data", "opencc", "STCharacters.txt")
DEFAULT_TS = os.path.join(_ROOT, "data", "opencc", "TSCharacters.txt")
DEFAULT_DECISIONS = os.path.join(_ROOT, "data", "conflicts.tsv")
DEFAULT_OUT = os.path.join(_ROOT, "data", "Runemap.dll")


class TableError(Exception):
    pass


def is_gbk_char(text):
    """True for one character that GBK stores in exactly two bytes (the table holds nothing else)."""
    if len(text) != 1:
        return False
    try:
        return len(text.encode("gbk")) == 2
    except UnicodeEncodeError:
        return False


def gbk_code(char):
    return char.encode("gbk").hex().upper()


def describe(char):
    return "%s (U+%04X, GBK %s)" % (char, ord(char), gbk_code(char)) if is_gbk_char(char) else "%s (U+%04X)" % (
        char, ord(char))


def parse_dictionary(lines, name):
    """OpenCC text dump: key TAB candidates separated by spaces, the first one preferred."""
    entries = {}
    for number, line in enumerate(lines, 1):
        line = line.rstrip("\r\n")
        if not line:
            continue
        fields = line.split("\t")
        if len(fields) != 2 or not fields[0] or not fields[1].strip():
            raise TableError("%s:%d: expected 'character TAB candidates', got %r" % (name, number, line))
        key, candidates = fields[0], fields[1].split()
        if key in entries:
            raise TableError("%s:%d: %s listed twice" % (name, number, key))
        entries[key] = candidates
    return entries


def read_dictionary(path):
    try:
        with open(path, encoding="utf-8") as handle:
            return parse_dictionary(handle, path)
    except (OSError, UnicodeDecodeError) as error:
        raise TableError("cannot read %s: %s" % (path, error))


def parse_decisions(lines, name):
    """Conflict decisions: direction TAB character TAB result TAB reason; '#' starts a comment line."""
    decisions = {S2T: {}, T2S: {}}
    for number, line in enumerate(lines, 1):
        line = line.rstrip("\r\n")
        if not line.strip() or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 4 or fields[0] not in decisions or not is_gbk_char(fields[1]) or not is_gbk_char(
                fields[2]):
            raise TableError("%s:%d: expected 's2t|t2s TAB char TAB result TAB reason' with GBK characters, got %r"
                             % (name, number, line))
        direction, char, result = fields[0], fields[1], fields[2]
        if char in decisions[direction]:
            raise TableError("%s:%d: second decision for %s %s" % (name, number, direction, char))
        decisions[direction][char] = result
    return decisions


def read_decisions(path):
    try:
        with open(path, encoding="utf-8") as handle:
            return parse_decisions(handle, path)
    except (OSError, UnicodeDecodeError) as error:
        raise TableError("cannot read %s: %s" % (path, error))


def preferred_forms(dictionary):
    """Key -> first candidate that is a GBK character.

    Keys outside GBK cannot appear in GBK text and are left out; so are keys without any GBK candidate. Returns the
    mapping, the keys that fell back to a later candidate, and the GBK keys dropped for want of one."""
    mapping, fallbacks, dropped = {}, [], []
    for key, candidates in dictionary.items():
        if not is_gbk_char(key):
            continue
        usable = [c for c in candidates if is_gbk_char(c)]
        if not usable:
            dropped.append(key)
            continue
        mapping[key] = usable[0]
        if usable[0] != candidates[0]:
            fallbacks.append(key)
    return mapping, sorted(fallbacks, key=gbk_code), sorted(dropped, key=gbk_code)


def find_chains(mapping):
    """(x, y, z) for each x -> y whose y converts again to z: the program would turn x into z."""
    chains = []
    for x, y in mapping.items():
        z = mapping.get(y, y)
        if x != y and z != y:
            chains.append((x, y, z))
    return sorted(chains, key=lambda chain: gbk_code(chain[0]))


def apply_decisions(mapping, decisions, direction):
    """Overrides the preferred forms with the listed decisions and insists the result is chain-free."""
    result = dict(mapping)
    for char, decided in decisions.items():
        if mapping.get(char, char) == decided:
            raise TableError("decision %s %s -> %s changes nothing: drop it from the decision list"
                             % (direction, describe(char), describe(decided)))
        result[char] = decided
    chains = find_chains(result)
    if chains:
        raise TableError("unresolved %s conflicts (add a decision for each):\n%s" % (direction, "\n".join(
            "  %s -> %s -> %s" % (describe(x), describe(y), describe(z)) for x, y, z in chains)))
    return result


def order_pairs(s2t, t2s):
    """Lays the pairs out so that each character's first occurrence on line 1 carries s2t and on line 3 t2s.

    A pair (a, b) may stand only after the pair that must decide a on line 1, (a, s2t(a)), and the one that must
    decide b on line 3, (t2s(b), b). Placing those first, recursively, brings in the identity pairs that keep a
    character from converting when it is listed only for the other direction."""
    to_trad = lambda c: s2t.get(c, c)
    to_simp = lambda c: t2s.get(c, c)
    wanted = [(s, s2t[s]) for s in sorted(s2t, key=gbk_code)]
    wanted += [(t2s[t], t) for t in sorted(t2s, key=gbk_code)]
    placed, visiting, order = set(), [], []

    def place(pair):
        if pair in placed:
            return
        if pair in visiting:
            loop = visiting[visiting.index(pair):] + [pair]
            raise TableError("no order satisfies both directions for the pairs %s; add a decision breaking the loop"
                             % " -> ".join("%s%s" % p for p in loop))
        visiting.append(pair)
        simplified, traditional = pair
        for first in ((simplified, to_trad(simplified)), (to_simp(traditional), traditional)):
            if first != pair:
                place(first)
        visiting.pop()
        placed.add(pair)
        order.append(pair)

    for pair in wanted:
        place(pair)
    return order


def encode_table(pairs):
    line1 = "".join(s for s, _ in pairs).encode("gbk")
    line3 = "".join(t for _, t in pairs).encode("gbk")
    return line1 + b"\r\n" + BANNER + b"\r\n" + line3 + b"\r\n"


def first_occurrences(pairs, side):
    """What the program does with each listed character: side 0 searches line 1, side 1 line 3."""
    result = {}
    for pair in pairs:
        result.setdefault(pair[side], pair[1 - side])
    return result


def build(st_dictionary, ts_dictionary, decisions):
    """Returns (file bytes, report) for two OpenCC dictionaries and the conflict decisions."""
    s2t, st_fallbacks, st_dropped = preferred_forms(st_dictionary)
    t2s, ts_fallbacks, ts_dropped = preferred_forms(ts_dictionary)
    s2t = apply_decisions(s2t, decisions[S2T], S2T)
    t2s = apply_decisions(t2s, decisions[T2S], T2S)
    pairs = order_pairs(s2t, t2s)
    report = {
        "pairs": len(pairs),
        "identity pairs": sum(1 for s, t in pairs if s == t),
        "converted s2t": sum(1 for s, t in first_occurrences(pairs, 0).items() if s != t),
        "converted t2s": sum(1 for t, s in first_occurrences(pairs, 1).items() if s != t),
        "decisions": len(decisions[S2T]) + len(decisions[T2S]),
        "fallbacks s2t": st_fallbacks,
        "fallbacks t2s": ts_fallbacks,
        "dropped s2t": st_dropped,
        "dropped t2s": ts_dropped,
    }
    return encode_table(pairs), report


def run_opencc_dict(source, target):
    """Dumps one installed OpenCC dictionary (.ocd2) as text."""
    command = ["opencc_dict", "-i", source, "-o", target, "-f", "ocd2", "-t", "text"]
    try:
        completed = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    except OSError as error:
        raise TableError("cannot run opencc_dict (Debian package opencc): %s" % error)
    if completed.returncode != 0:
        raise TableError("%s failed: %s" % (" ".join(command), completed.stdout.decode(errors="replace")))


def dump_ocd2(directory, work):
    """Runs opencc_dict on the two character dictionaries of an OpenCC installation; returns the text files."""
    paths = []
    for name in ("STCharacters", "TSCharacters"):
        target = os.path.join(work, name + ".txt")
        run_opencc_dict(os.path.join(directory, name + ".ocd2"), target)
        paths.append(target)
    return paths


def main(argv):
    parser = argparse.ArgumentParser(description="Build the Zendrix character table from OpenCC dictionaries.")
    parser.add_argument("--st", default=DEFAULT_ST, help="STCharacters text dump (default: %(default)s)")
    parser.add_argument("--ts", default=DEFAULT_TS, help="TSCharacters text dump (default: %(default)s)")
    parser.add_argument("--ocd2", metavar="DIR", help="dump DIR/STCharacters.ocd2 and TSCharacters.ocd2 instead")
    parser.add_argument("--decisions", default=DEFAULT_DECISIONS, help="conflict decisions (default: %(default)s)")
    parser.add_argument("--out", default=DEFAULT_OUT, help="table file to write (default: %(default)s)")
    args = parser.parse_args(argv)
    try:
        decisions = read_decisions(args.decisions)
        with tempfile.TemporaryDirectory() as work:
            st_path, ts_path = dump_ocd2(args.ocd2, work) if args.ocd2 else (args.st, args.ts)
            data, report = build(read_dictionary(st_path), read_dictionary(ts_path), decisions)
        with open(args.out, "wb") as handle:
            handle.write(data)
    except (TableError, OSError) as error:
        print("make_table: %s" % error, file=sys.stderr)
        return 1
    for name, value in report.items():
        if isinstance(value, int):
            print("%-15s %d" % (name, value))
        else:
            # the dropped lists run to hundreds of characters: only the fallbacks are worth reading one by one
            listed = " " + " ".join(value) if value and name.startswith("fallbacks") else ""
            print("%-15s %d%s" % (name, len(value), listed))
    print("wrote %s (%d bytes)" % (args.out, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
