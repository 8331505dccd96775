#!/usr/bin/env python3
"""regional_peer_speed.py: how fast the peers convert a 50 MB UTF-8 file under s2t and s2twp.

Makes the file by repeating the Simplified corpus of make_regional_corpus.py (both halves) and cutting it at a line
end after --mb MB, then times, with the page cache warm, end to end (process start, dictionaries loaded, file read,
converted and written):
  opencc-js (node bench/opencc_js_convert.js NAME < IN > OUT)
  OpenCC 1.4.2's command-line tool, when --opencc DIR is given (DIR/build/opencc -c DIR/share/NAME.json)
  any further command given with --command 'LABEL=CMD' ({name}, {in}, {out} are replaced; a command that names
  {gbk} instead of {in} reads the same text in GBK, and its rate counts the GBK bytes)
and prints the median wall time of --runs runs and the input MB/s (1 MB = 10^6 bytes).
"""
import argparse
import os
import pathlib
import shlex
import statistics
import subprocess
import sys
import time

HERE = pathlib.Path(__file__).resolve().parent


def timed(argv, stdin_path, stdout_path):
    with open(stdin_path, "rb") as fin, open(stdout_path, "wb") as fout:
        start = time.perf_counter()
        done = subprocess.run(argv, stdin=fin, stdout=fout, stderr=subprocess.PIPE)
        wall = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"{argv[0]} failed: {done.stderr.decode(errors='replace')[:300]}")
    return wall


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--corpus", required=True, type=pathlib.Path)
    parser.add_argument("--work", required=True, type=pathlib.Path)
    parser.add_argument("--mb", type=float, default=50)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--opencc", type=pathlib.Path)
    parser.add_argument("--command", action="append", default=[], help="LABEL=CMD, with {name} {in} {out}")
    parser.add_argument("--names", default="s2t,s2twp")
    args = parser.parse_args()
    args.work.mkdir(parents=True, exist_ok=True)

    text = (args.corpus / "cn.dev.txt").read_bytes() + (args.corpus / "cn.held.txt").read_bytes()
    size = int(args.mb * 1e6)
    data = text * (size // len(text) + 1)
    data = data[:data.rfind(b"\n", 0, size) + 1]
    source, out = args.work / "input.utf8", args.work / "output.utf8"
    source.write_bytes(data)
    lines = data.count(b"\n")
    print(f"input: {len(data):,} bytes UTF-8 ({len(data) / 1e6:.1f} MB), {lines:,} lines")
    gbk_source = args.work / "input.gbk"
    gbk_data = data.decode("utf-8").encode("gbk", errors="replace")
    gbk_source.write_bytes(gbk_data)
    print(f"       {len(gbk_data):,} bytes as GBK ({len(gbk_data) / 1e6:.1f} MB; characters GBK lacks as '?')")

    commands = {"opencc-js (node)": f"node --max-old-space-size=8192 {HERE / 'opencc_js_convert.js'} {{name}}"}
    if args.opencc:
        commands["OpenCC 1.4.2"] = f"{args.opencc}/build/opencc -c {args.opencc}/share/{{name}}.json"
    for item in args.command:
        label, command = item.split("=", 1)
        commands[label] = command
    env_node = os.environ.get("NODE_PATH")
    if not env_node:
        print("note: NODE_PATH should reach opencc-js", file=sys.stderr)
    for name in args.names.split(","):
        for label, command in commands.items():
            gbk = "{gbk}" in command
            given, size = (gbk_source, len(gbk_data)) if gbk else (source, len(data))
            argv = [part.replace("{name}", name).replace("{in}", str(source)).replace("{gbk}", str(gbk_source))
                    .replace("{out}", str(out)) for part in shlex.split(command)]
            walls = [timed(argv, given, out) for _ in range(args.runs)]
            wall = statistics.median(walls)
            print(f"{name:6} {label:26} {wall:7.3f} s  {size / 1e6 / wall:7.1f} MB/s  "
                  f"(runs: {', '.join(f'{w:.3f}' for w in walls)})", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
