#!/usr/bin/env python3
"""encoding_file_bench.py: files in each encoding, side by side in one run, with the figures they are judged by.

Builds its inputs in WORK from TEXT (manpages-zh in GBK, see make_bench_text.py), repeated to MIB mebibytes:
  big.gbk     GBK, LF line ends (what the program has always converted)
  big.utf8    the same text in UTF-8 without a byte order mark (found by the detection)
  big.utf16   the same text in UTF-16LE with a byte order mark
and runs:
  PREVIOUS --to-traditional big.gbk OUT      the program before it knew encodings (--previous)
  zendrix-convert --to-traditional FILE OUT  for each of the three files, detection included
  opencc -c CHARACTERS -i big.utf8 -o OUT    OpenCC with its character dictionary only, on the UTF-8 file
Timing as in file_bench.py: one untimed run each to warm the cache and check the output, then RUNS rounds
taking turns; medians of wall and CPU time.
"""
import argparse
import statistics
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from file_bench import MIB, remove, run_once  # noqa: E402


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, type=Path)
    parser.add_argument("--previous", required=True, type=Path, help="zendrix-convert of the previous release")
    parser.add_argument("--opencc-config", required=True, type=Path)
    parser.add_argument("--text", required=True, type=Path)
    parser.add_argument("--work", required=True, type=Path)
    parser.add_argument("--mib", type=int, default=32)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()

    gbk = args.text.read_bytes()
    gbk = (gbk * (args.mib * MIB // len(gbk) + 1))[: args.mib * MIB]
    gbk = gbk[: gbk.rfind(b"\n") + 1]
    text = gbk.decode("gbk")
    work = args.work
    work.mkdir(parents=True, exist_ok=True)
    inputs = {"gbk": work / "big.gbk", "utf8": work / "big.utf8", "utf16": work / "big.utf16"}
    inputs["gbk"].write_bytes(gbk)
    inputs["utf8"].write_bytes(text.encode("utf-8"))
    inputs["utf16"].write_bytes(b"\xff\xfe" + text.encode("utf-16le"))
    convert = str(args.bin / "zendrix-convert")
    out = work / "out"
    out.mkdir(exist_ok=True)
    commands = {
        "previous release, GBK": ([args.previous, "--to-traditional", inputs["gbk"], out / "p"], out / "p", "gbk"),
        "zendrix-convert, GBK": ([convert, "--to-traditional", inputs["gbk"], out / "g"], out / "g", "gbk"),
        "zendrix-convert, UTF-8": ([convert, "--to-traditional", inputs["utf8"], out / "u"], out / "u", "utf8"),
        "zendrix-convert, UTF-16LE": ([convert, "--to-traditional", inputs["utf16"], out / "w"], out / "w",
                                      "utf16"),
        "OpenCC characters, UTF-8": (["opencc", "-c", args.opencc_config, "-i", inputs["utf8"], "-o", out / "o"],
                                     out / "o", "utf8"),
    }

    for argv, output, _ in commands.values():
        run_once(argv, output, work / "rss")
    converted = (out / "g").read_bytes()
    checks = {
        "GBK output as the previous release's": converted == (out / "p").read_bytes(),
        "the conversion changes the text": converted != gbk.replace(b"\n", b"\r\n"),
        "UTF-8 output is the GBK output in UTF-8": (out / "u").read_bytes() == converted.decode("gbk").encode(),
        "UTF-16 output is the GBK output in UTF-16": (out / "w").read_bytes()
        == b"\xff\xfe" + converted.decode("gbk").encode("utf-16le"),
        "OpenCC converted the same characters": (out / "o").read_bytes().replace(b"\n", b"\r\n")
        == converted.decode("gbk").encode(),
    }
    for check, ok in checks.items():
        print(f"{'ok  ' if ok else 'FAIL'} {check}")
    if not all(checks.values()):
        return 1

    results = {name: [] for name in commands}
    names = list(commands)
    for round_ in range(args.runs):
        shift = round_ % len(names)
        for name in names[shift:] + names[:shift]:
            argv, output, _ = commands[name]
            results[name].append(run_once(argv, output, work / "rss"))
    sizes = {key: path.stat().st_size for key, path in inputs.items()}
    median = {name: {k: statistics.median(r[k] for r in runs) for k in ("wall", "cpu")}
              for name, runs in results.items()}
    print(f"\nInputs: {sizes['gbk']:,} bytes GBK, {sizes['utf8']:,} UTF-8, {sizes['utf16']:,} UTF-16LE; "
          f"medians of {args.runs} runs; MB/s = input bytes / 10^6 / time\n")
    print(f"{'command':28} {'wall s':>8} {'MB/s':>7} {'CPU s':>8} {'MB/s':>7}")
    for name, row in median.items():
        mb = sizes[commands[name][2]] / 1e6
        print(f"{name:28} {row['wall']:8.3f} {mb / row['wall']:7.1f} {row['cpu']:8.3f} {mb / row['cpu']:7.1f}")
    print(f"\n{'ratio of medians':50} {'wall':>7} {'CPU':>7}  target")
    for label, a, b, target in [
        ("GBK, detection included / previous release", "zendrix-convert, GBK", "previous release, GBK", "<= 1.1"),
        ("OpenCC characters / zendrix-convert, UTF-8", "OpenCC characters, UTF-8", "zendrix-convert, UTF-8",
         ">= 100"),
    ]:
        print(f"{label:50} {median[a]['wall'] / median[b]['wall']:7.2f} "
              f"{median[a]['cpu'] / median[b]['cpu']:7.2f}  {target}")
    remove(out)
    for path in inputs.values():
        remove(path)
    remove(work / "rss")
    return 0


if __name__ == "__main__":
    sys.exit(main())
