#!/usr/bin/env python3
"""regional_agreement.py: how often a converter agrees with the reference on each of the fourteen config names.

Both converters are commands that read text on standard input and write the conversion to standard output
(UTF-8; the candidate's may be GBK with --encoding gbk); `{name}` in a command is replaced by the config name. The
reference is the OpenCC 1.4.2 command-line tool when --opencc DIR is given (DIR/build/opencc with
DIR/share/NAME.json), otherwise opencc-js through bench/opencc_js_convert.js.

The corpus is the output folder of bench/make_regional_corpus.py: s2* names read the Simplified text, tw2* the
Taiwan text, hk2* the Hong Kong text, and t2s, t2tw, t2hk both Traditional texts. For each name and half the
script prints the share of Chinese characters of the reference's output (those GBK holds in two bytes) that the
candidate gives at the same place, and the differing lines when --show N is given. The reference gets the text
in runs of whole lines below 1 MiB: OpenCC's tool converts its input in 1 MiB blocks, which cuts through any
phrase at a block's end. Exit status 1 when a share is below --target (percent).

With --cases FILE instead of --corpus, the inputs are those of a file of test cases in the form of OpenCC's
test/testcases/testcases.json, every one under every name (with --encoding gbk those GBK can hold), one "half"
called cases; the line "whole" adds how many cases come out identical, and how many of the others differ only in
characters GBK does not hold; --target then applies to the share of cases that do one or the other.
"""
import argparse
import difflib
import json
import pathlib
import re
import shlex
import subprocess
import sys

NAMES = ["s2t", "t2s", "s2tw", "tw2s", "s2twp", "tw2sp", "s2hk", "hk2s", "s2hkp", "hk2sp", "t2tw", "tw2t", "t2hk",
         "hk2t"]
HAN = re.compile(r"[\u2e80-\u2fff\u3400-\u9fff\uf900-\ufaff]")
HERE = pathlib.Path(__file__).resolve().parent


def corpus_files(name: str) -> list[str]:
    source = name.split("2")[0]
    return {"s": ["cn"], "tw": ["tw"], "twp": ["tw"], "hk": ["hk"], "t": ["tw", "hk"]}[source]


def gbk_han(ch: str) -> bool:
    if not HAN.match(ch):
        return False
    try:
        return len(ch.encode("gbk")) == 2
    except UnicodeEncodeError:
        return False


def run(command: str, name: str, lines: list[str], batch: int = 0, encoding: str = "utf-8") -> list[str]:
    """The command's output lines for lines; with batch, the input goes in runs of whole lines of at most batch
    bytes, one process each."""
    argv = [part.replace("{name}", name) for part in shlex.split(command)]
    runs, current, size = [], [], 0
    for line in lines:
        length = len(line.encode("utf-8")) + 1
        if batch and current and size + length > batch:
            runs.append(current)
            current, size = [], 0
        current.append(line)
        size += length
    runs.append(current)
    output = []
    for part in runs:
        done = subprocess.run(argv, input="".join(line + "\n" for line in part).encode(encoding),
                              capture_output=True)
        if done.returncode != 0:
            sys.exit(f"{argv[0]} failed for {name}: {done.stderr.decode(errors='replace')[:500]}")
        got = done.stdout.decode(encoding, errors="replace").replace("\r\n", "\n").split("\n")
        output += got[: len(part)] + [""] * (len(part) - len(got))
    return output


def compare(reference: str, candidate: str) -> tuple[int, int]:
    """Chinese characters of reference, and how many of them the candidate has at the same place."""
    total = sum(1 for ch in reference if gbk_han(ch))
    if reference == candidate:
        return total, total
    if len(reference) == len(candidate):
        return total, sum(1 for a, b in zip(reference, candidate) if a == b and gbk_han(a))
    agree = 0
    for block in difflib.SequenceMatcher(None, reference, candidate, autojunk=False).get_matching_blocks():
        agree += sum(1 for ch in reference[block.a:block.a + block.size] if gbk_han(ch))
    return total, agree


def case_inputs(path: pathlib.Path) -> list[str]:
    """The inputs of a test-case file, one line each (OpenCC's file has a comma before some closing braces)."""
    text = re.sub(r",(\s*[}\]])", r"\1", path.read_text(encoding="utf-8"))
    return [case["input"].replace("\n", " ") for case in json.loads(text)["cases"]]


def outside_gbk(ch: str) -> bool:
    try:
        ch.encode("gbk")
        return False
    except UnicodeEncodeError:
        return True


def only_outside_gbk(reference: str, candidate: str) -> bool:
    """Whether every difference of the two lines lies where one of them has a character GBK does not hold."""
    for tag, a0, a1, b0, b1 in difflib.SequenceMatcher(None, reference, candidate, autojunk=False).get_opcodes():
        if tag != "equal" and not any(outside_gbk(ch) for ch in reference[a0:a1] + candidate[b0:b1]):
            return False
    return True


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--corpus", type=pathlib.Path)
    source.add_argument("--cases", type=pathlib.Path, help="a test-case file in the form of OpenCC's testcases.json")
    parser.add_argument("--candidate", required=True, help="command; {name} becomes the config name")
    parser.add_argument("--opencc", type=pathlib.Path, help="folder of an OpenCC 1.4.2 build (build/, share/)")
    parser.add_argument("--reference", help="any other reference command; {name} becomes the config name")
    parser.add_argument("--names", default=",".join(NAMES))
    parser.add_argument("--encoding", default="utf-8", choices=["utf-8", "gbk"],
                        help="what the candidate reads and writes (the corpus is text GBK holds)")
    parser.add_argument("--halves", default="dev,held")
    parser.add_argument("--lines", type=int, default=0, help="only the first N lines of each file (0: all)")
    parser.add_argument("--show", type=int, default=0, help="print up to N differing lines per name and half")
    parser.add_argument("--target", type=float, default=99.99)
    parser.add_argument("--batch", type=int, default=1000000,
                        help="bytes of whole lines per run of the reference (0: all at once); OpenCC's tool breaks "
                             "its input every 1 MiB, splitting any phrase there")
    args = parser.parse_args()

    if args.reference:
        reference = args.reference
    elif args.opencc:
        reference = f"{args.opencc}/build/opencc -c {args.opencc}/share/{{name}}.json --noflush 1"
    else:
        reference = f"node {HERE / 'opencc_js_convert.js'} {{name}}"
    halves = ["cases"] if args.cases else args.halves.split(",")
    worst = 100.0
    print(f"{'name':7} {'half':5} {'characters':>11} {'differ':>7} {'agree %':>9}")
    for name in args.names.split(","):
        for half in halves:
            lines = case_inputs(args.cases) if args.cases else []
            if args.encoding == "gbk":  # the cases GBK can hold
                lines = [line for line in lines if not any(outside_gbk(ch) for ch in line)]
            for variety in [] if args.cases else corpus_files(name):
                part = (args.corpus / f"{variety}.{half}.txt").read_text(encoding="utf-8").split("\n")[:-1]
                lines += part[: args.lines] if args.lines else part
            expected = run(reference, name, lines, args.batch)
            got = run(args.candidate, name, lines, 0, args.encoding)
            total = agree = identical = outside = 0
            shown = 0
            for index, line in enumerate(lines):
                want = expected[index] if index < len(expected) else ""
                have = got[index] if index < len(got) else ""
                t, a = compare(want, have)
                total += t
                agree += a
                identical += want == have
                outside += want != have and only_outside_gbk(want, have)
                if a < t and shown < args.show:
                    shown += 1
                    print(f"  {name} {half} line {index + 1}:\n    input     {line}\n    reference {want}\n"
                          f"    candidate {have}")
            share = 100.0 * agree / total if total else 100.0
            print(f"{name:7} {half:5} {total:11} {total - agree:7} {share:9.4f}", flush=True)
            if args.cases:
                print(f"  whole: {identical} of {len(lines)} cases identical, {outside} more differ only in "
                      "characters GBK does not hold")
                share = 100.0 * (identical + outside) / len(lines) if lines else 100.0
            worst = min(worst, share)
    return 0 if worst >= args.target else 1


if __name__ == "__main__":
    sys.exit(main())
