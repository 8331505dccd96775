#!/usr/bin/env python3
"""phrase_accuracy.py: how often conversion by words, and the character table alone, agree with OpenCC.

Corpora, all real text from Debian packages, each reduced to what GBK holds:
  manpages   Simplified: Debian's manpages-zh as make_bench_text.py extracts it (pass its manpages.gbk)
  zh_CN.mo   Simplified: the translations of every zh_CN gettext catalogue under /usr/share/locale
  zh_TW.mo   Traditional: the same for zh_TW
  manpages-t Traditional: the manpages converted to Traditional by words
Simplified text goes to Traditional (OpenCC's s2t.json), Traditional text to Simplified (t2s.json). Our side is
bench's line_loop, the file loop of the program, with and without the phrase file. A Chinese character of the
input agrees when the output holds the same character at its place as OpenCC's output (lines of unequal length
are aligned by difflib). The remaining differences are listed by count, with those of the character table alone.

Usage: phrase_accuracy.py --bin BUILD/bin --manpages BUILD/bench/data/all/manpages.gbk --work DIR [--json FILE]
"""
import argparse
import collections
import difflib
import gettext
import json
import pathlib
import subprocess
import sys

OPENCC = pathlib.Path("/usr/share/opencc")


def is_chinese(char):
    code = ord(char)
    return 0x3400 <= code <= 0x4DBF or 0x4E00 <= code <= 0x9FFF or 0xF900 <= code <= 0xFAFF or code >= 0x20000


def catalogue_text(locale):
    """Every translation of the locale's catalogues that holds a Chinese character, one line each."""
    lines = []
    for mo in sorted(pathlib.Path("/usr/share/locale", locale, "LC_MESSAGES").glob("*.mo")):
        try:
            catalogue = gettext.GNUTranslations(mo.open("rb"))._catalog
        except (OSError, UnicodeDecodeError, ValueError) as error:
            print(f"skipping {mo}: {error}", file=sys.stderr)
            continue
        for key, value in catalogue.items():
            if key == "" or not any(is_chinese(c) for c in value):
                continue
            lines += [line for line in value.splitlines() if line.strip()]
    return "\n".join(lines) + "\n"


def to_gbk_text(text):
    """What GBK holds of the text, as the program would read it."""
    return text.encode("gbk", errors="ignore").decode("gbk")


def ours(bin_dir, work, name, text, to_traditional, phrases):
    source = work / f"{name}.in.gbk"
    target = work / f"{name}.{'words' if phrases else 'chars'}.gbk"
    source.write_bytes(text.encode("gbk"))
    command = [str(bin_dir / "line_loop")] + ([] if to_traditional else ["-s"])
    command += [str(bin_dir / "Runemap.dll"), str(source), str(target)]
    command += [str(bin_dir / "Runewords.txt")] if phrases else []
    subprocess.run(command, check=True)
    return target.read_bytes().decode("gbk").split("\r\n")[:-1]


def opencc(work, name, text, to_traditional):
    source, target = work / f"{name}.in.utf8", work / f"{name}.opencc.utf8"
    source.write_text(text, encoding="utf-8")
    config = OPENCC / ("s2t.json" if to_traditional else "t2s.json")
    subprocess.run(["opencc", "-c", str(config), "-i", str(source), "-o", str(target)], check=True)
    return target.read_text(encoding="utf-8").split("\n")[:-1]


def compare(inputs, outputs, references, differences):
    """(Chinese characters of the input, those whose output agrees with the reference)."""
    total = agree = 0
    for source, out, ref in zip(inputs, outputs, references):
        chinese = [i for i, c in enumerate(source) if is_chinese(c)]
        total += len(chinese)
        if len(out) == len(ref) == len(source):
            wrong = [i for i in chinese if out[i] != ref[i]]
        else:  # a character our output has where OpenCC's has none counts as differing
            matched = set()
            for tag, i1, i2, _, _ in difflib.SequenceMatcher(None, out, ref, autojunk=False).get_opcodes():
                matched.update(range(i1, i2) if tag == "equal" else ())
            wrong = [i for i in chinese if i not in matched]
        agree += len(chinese) - len(wrong)
        for i in wrong:
            word = source[max(0, i - 1):i + 2]
            differences[(source[i], out[i] if i < len(out) else "", ref[i] if i < len(ref) else "")][word] += 1
    if len(inputs) != len(outputs) or len(inputs) != len(references):
        raise SystemExit(f"line counts differ: {len(inputs)} in, {len(outputs)} ours, {len(references)} OpenCC")
    return total, agree


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, type=pathlib.Path)
    parser.add_argument("--manpages", required=True, type=pathlib.Path)
    parser.add_argument("--work", required=True, type=pathlib.Path)
    parser.add_argument("--json", type=pathlib.Path)
    parser.add_argument("--shown", type=int, default=8, help="differences listed per corpus and kind")
    args = parser.parse_args()
    args.work.mkdir(parents=True, exist_ok=True)

    manpages = args.manpages.read_bytes().decode("gbk")
    corpora = [("manpages", manpages, True), ("zh_CN.mo", to_gbk_text(catalogue_text("zh_CN")), True),
               ("zh_TW.mo", to_gbk_text(catalogue_text("zh_TW")), False)]
    results = []
    for name, text, to_traditional in corpora + [("manpages-t", None, False)]:
        if text is None:  # the Traditional form of the manpages, made by words
            text = "\n".join(ours(args.bin, args.work, "manpages", manpages, True, True)) + "\n"
        inputs = text.split("\n")[:-1]
        reference = opencc(args.work, name, text, to_traditional)
        row = {"corpus": name, "direction": "s2t" if to_traditional else "t2s"}
        for phrases in (True, False):
            differences = collections.defaultdict(collections.Counter)
            total, agree = compare(inputs, ours(args.bin, args.work, name, text, to_traditional, phrases), reference,
                                   differences)
            key = "words" if phrases else "characters"
            row.update({"chinese": total, key: agree, key + " %": 100.0 * agree / max(total, 1)})
            ranked = sorted(differences.items(), key=lambda item: -sum(item[1].values()))
            row[key + " differences"] = [{"input": k[0], "ours": k[1], "opencc": k[2], "count": sum(v.values()),
                                          "where": [w for w, _ in v.most_common(3)]} for k, v in ranked]
        results.append(row)
        print(f"{name:10} {row['direction']}  {row['chinese']:>9,} Chinese characters   by words "
              f"{row['words %']:.4f}% ({row['chinese'] - row['words']:,} differ)   characters only "
              f"{row['characters %']:.4f}% ({row['chinese'] - row['characters']:,} differ)")
        for key in ("words", "characters"):
            shown = row[key + " differences"][:args.shown]
            print(f"  {key}: {len(row[key + ' differences'])} kinds of difference" + (", the commonest:" if shown else ""))
            for d in shown:
                print(f"    {d['count']:>5}  {d['input']} -> ours {d['ours'] or '-'}, OpenCC {d['opencc'] or '-'}"
                      f"   e.g. {' '.join(d['where'])}")
    if args.json:
        args.json.write_text(json.dumps(results, ensure_ascii=False, indent=1), encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
