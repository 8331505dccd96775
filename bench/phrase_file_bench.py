#!/usr/bin/env python3
"""phrase_file_bench.py: a 50 MB GBK file converted to Traditional by words, against OpenCC's s2t on the same text.

Makes the file by repeating the given text (all of manpages-zh, from make_bench_text.py) and cutting it at a line
end after --mb MB, writes its UTF-8 form for OpenCC, and times, with the page cache warm:
  line_loop TABLE IN OUT PHRASES   the program's file loop (convert/ConvertLines.hpp), by words
  line_loop TABLE IN OUT           the same loop, characters only
  line_loop-copy TABLE IN OUT      the same loop copying (bench/NoConversion.cpp)
  opencc -c s2t.json -i IN -o OUT  OpenCC 1.1.6, phrases and characters
Each of ours runs --runs times, OpenCC --opencc-runs times; medians of wall and CPU (user + system) time.

Usage: phrase_file_bench.py --bin BUILD/bin --text BUILD/bench/data/all/manpages.gbk --work DIR [--mb 50]
"""
import argparse
import os
import pathlib
import statistics
import subprocess
import sys
import time


def timed(command):
    start = time.perf_counter()
    process = subprocess.Popen(command)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        raise SystemExit(f"{command[0]} failed with status {status}")
    return wall, usage.ru_utime + usage.ru_stime


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, type=pathlib.Path)
    parser.add_argument("--text", required=True, type=pathlib.Path)
    parser.add_argument("--work", required=True, type=pathlib.Path)
    parser.add_argument("--mb", type=float, default=50)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--opencc-runs", type=int, default=2)
    args = parser.parse_args()
    args.work.mkdir(parents=True, exist_ok=True)

    text = args.text.read_bytes()
    size = int(args.mb * 1e6)
    data = text * (size // len(text) + 1)
    data = data[:data.rfind(b"\n", 0, size) + 1]  # a line feed is never a trail byte
    gbk, utf8 = args.work / "input.gbk", args.work / "input.utf8"
    gbk.write_bytes(data)
    utf8.write_bytes(data.decode("gbk").encode("utf-8"))
    table, phrases = str(args.bin / "Runemap.dll"), str(args.bin / "Runewords.txt")
    out = str(args.work / "output")
    commands = {
        "line_loop, by words": [str(args.bin / "line_loop"), table, str(gbk), out, phrases],
        "line_loop, characters only": [str(args.bin / "line_loop"), table, str(gbk), out],
        "line_loop-copy": [str(args.bin / "line_loop-copy"), table, str(gbk), out],
        "opencc -c s2t.json": ["opencc", "-c", "/usr/share/opencc/s2t.json", "-i", str(utf8), "-o", out],
    }
    lines = data.count(b"\n")
    print(f"input: {len(data):,} bytes GBK ({len(data) / 1e6:.1f} MB), {lines:,} lines; "
          f"UTF-8 for OpenCC {utf8.stat().st_size:,} bytes")
    results = {}
    for name, command in commands.items():
        runs = args.opencc_runs if name.startswith("opencc") else args.runs
        timed(command)  # warms the page cache and the program
        samples = [timed(command) for _ in range(runs)]
        wall = statistics.median(s[0] for s in samples)
        cpu = statistics.median(s[1] for s in samples)
        results[name] = (wall, cpu)
        print(f"  {name:28} wall {wall:7.3f} s   CPU {cpu:7.3f} s   {len(data) / 1e6 / wall:8.1f} MB/s "
              f"(median of {runs})")
    words, opencc = results["line_loop, by words"], results["opencc -c s2t.json"]
    print(f"OpenCC / by words: {opencc[0] / words[0]:.1f}x wall, {opencc[1] / words[1]:.1f}x CPU")
    for path in (gbk, utf8, pathlib.Path(out)):
        path.unlink()
    return 0


if __name__ == "__main__":
    sys.exit(main())
