#!/usr/bin/env python3
"""file_bench.py: file conversion and the batch run, each against the same work without the conversion.

Builds its inputs in WORK from TEXT (all of manpages-zh in GBK, see make_bench_text.py), repeated as needed:
  big.gbk      a 100 MiB file of the text's own lines (about 34 bytes each)
  oneline.gbk  the same bytes with every line feed but the last turned into a space: one 100 MiB line
  tree/        10,000 files of 1 to 8 KB (whole lines of the text), 100 in each of 100 folders two levels deep
and runs, from BIN:
  zendrix-convert --to-traditional INPUT OUTPUT            the product's single-file mode
  zendrix-convert-copy --to-traditional INPUT OUTPUT       the same program with a ConvertText that does nothing
  line_loop TABLE INPUT OUTPUT                             the window's line loop: no temporary file, no fsync
  line_loop-copy TABLE INPUT OUTPUT                        that loop without the conversion
  zendrix-convert[-copy] --to-traditional --batch tree OUT  the batch walk, converting and copying

Each command runs once untimed (to warm the page cache and check its output), then RUNS timed rounds; the
commands take turns within a round and the order rotates from round to round, so a burst of load from other
users falls on all of them alike. Before every run the previous output is removed and the disk synced, outside
the timing. Wall time is measured around the child; CPU time (user + system) comes from wait4() on GNU time
(/usr/bin/time), which starts the command and reports its peak resident memory (time's own share is well under
a millisecond). Figures are medians; MB/s counts the input's bytes (10^6 per MB).
"""
import argparse
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

MIB = 1 << 20


def make_inputs(text: bytes, work: Path, size: int, files: int) -> None:
    work.mkdir(parents=True, exist_ok=True)
    big = work / "big.gbk"
    if not big.exists() or big.stat().st_size == 0 or big.stat().st_size > size:
        data = (text * (size // len(text) + 1))[:size]
        data = data[: data.rfind(b"\n") + 1]  # whole lines only
        big.write_bytes(data)
        (work / "oneline.gbk").write_bytes(data[:-1].replace(b"\n", b" ") + b"\n")
    tree = work / "tree"
    if tree.exists() and sum(1 for _ in tree.rglob("*.txt")) == files:
        return
    shutil.rmtree(tree, ignore_errors=True)
    lines = text.splitlines(keepends=True)
    rng = random.Random(2026)
    at = 0
    for k in range(files):
        folder = tree / f"d{k // 1000:02d}" / f"e{k // 100 % 10:02d}"
        folder.mkdir(parents=True, exist_ok=True)
        want = rng.randint(1024, 8192)
        chunk = bytearray()
        while len(chunk) < want:
            chunk += lines[at]
            at = (at + 1) % len(lines)
        (folder / f"f{k:05d}.txt").write_bytes(bytes(chunk))


def with_crlf(data: bytes) -> bytes:
    """What the text-mode writer makes of text that has LF line ends and no CR, 0x1A or missing last break."""
    return data.replace(b"\n", b"\r\n")


def remove(path: Path) -> None:
    if path.is_dir():
        shutil.rmtree(path)
    elif path.exists():
        path.unlink()


def run_once(argv: list, output: Path, rss_file: Path) -> dict:
    remove(output)
    os.sync()
    # A child of this process would report this process's own peak memory as its peak (Linux keeps the high
    # mark across fork and exec), so GNU time, a small process, starts the command and reports its peak.
    timed = ["/usr/bin/time", "-f", "%M", "-o", rss_file] + argv
    start = time.perf_counter()
    child = subprocess.Popen(timed, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(child.pid, 0)  # time's own usage and that of the command it waited for
    wall = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    error = child.stderr.read().decode(errors="replace")
    child.stderr.close()
    if child.returncode != 0:
        sys.exit(f"{' '.join(map(str, argv))} failed ({child.returncode}): {error}")
    return {"wall": wall, "cpu": usage.ru_utime + usage.ru_stime, "user": usage.ru_utime,
            "sys": usage.ru_stime, "rss_kb": int(rss_file.read_text().split()[-1])}


def tree_bytes(root: Path) -> dict:
    return {p.relative_to(root).name: p.read_bytes() for p in root.rglob("*") if p.is_file()}


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, type=Path)
    parser.add_argument("--text", required=True, type=Path)
    parser.add_argument("--work", required=True, type=Path)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--mib", type=int, default=100)
    parser.add_argument("--files", type=int, default=10000)
    parser.add_argument("--json", type=Path)
    parser.add_argument("--keep", action="store_true", help="keep the generated inputs for another run")
    args = parser.parse_args()

    text = args.text.read_bytes()
    work = args.work
    make_inputs(text, work, args.mib * MIB, args.files)
    big, oneline, tree = work / "big.gbk", work / "oneline.gbk", work / "tree"
    out = work / "out"
    out.mkdir(exist_ok=True)
    convert, copy = str(args.bin / "zendrix-convert"), str(args.bin / "zendrix-convert-copy")
    loop, loop_copy = str(args.bin / "line_loop"), str(args.bin / "line_loop-copy")
    table = str(args.bin / "Runemap.dll")
    source_bytes = sum(p.stat().st_size for p in tree.rglob("*.txt"))

    # name: (argv, output, input bytes, group)
    commands = {
        "zendrix-convert": ([convert, "--to-traditional", big, out / "c.gbk"], out / "c.gbk", "file"),
        "zendrix-convert-copy": ([copy, "--to-traditional", big, out / "cc.gbk"], out / "cc.gbk", "file"),
        "line_loop convert": ([loop, table, big, out / "l.gbk"], out / "l.gbk", "file"),
        "line_loop copy": ([loop_copy, table, big, out / "lc.gbk"], out / "lc.gbk", "file"),
        "zendrix-convert, one line": ([convert, "--to-traditional", oneline, out / "o.gbk"], out / "o.gbk",
                                      "line"),
        "zendrix-convert-copy, one line": ([copy, "--to-traditional", oneline, out / "oc.gbk"],
                                           out / "oc.gbk", "line"),
        "zendrix-convert --batch": ([convert, "--to-traditional", "--batch", tree, out / "b"], out / "b",
                                    "batch"),
        "zendrix-convert-copy --batch": ([copy, "--to-traditional", "--batch", tree, out / "bc"],
                                         out / "bc", "batch"),
    }
    sizes = {"file": big.stat().st_size, "line": oneline.stat().st_size, "batch": source_bytes}

    # The untimed first round also checks that each command did its job.
    for name, (argv, output, _) in commands.items():
        run_once(argv, output, work / "rss")
    expected = with_crlf(big.read_bytes())
    converted = (out / "c.gbk").read_bytes()
    checks = {
        "copies are the input with CR LF": (out / "cc.gbk").read_bytes() == expected
        and (out / "lc.gbk").read_bytes() == expected
        and (out / "oc.gbk").read_bytes() == with_crlf(oneline.read_bytes()),
        "both loops convert alike": converted == (out / "l.gbk").read_bytes(),
        "the conversion changes the text": converted != expected and len(converted) == len(expected),
        "one line converts like many": (out / "o.gbk").read_bytes()
        == converted[:-2].replace(b"\r\n", b" ") + b"\r\n",
    }
    batch, batch_copy = tree_bytes(out / "b"), tree_bytes(out / "bc")
    sources = {p.name: p.read_bytes() for p in tree.rglob("*.txt")}
    checks["batch: every file, flattened"] = len(batch) == len(batch_copy) == args.files
    checks["batch copy: the inputs with CR LF"] = all(batch_copy[n] == with_crlf(d) for n, d in sources.items())
    checks["batch: converted"] = sum(batch[n] != batch_copy[n] for n in batch) > args.files * 0.9
    for check, ok in checks.items():
        if not ok:
            sys.exit(f"output check failed: {check}")

    results = {name: [] for name in commands}
    names = list(commands)
    for round_ in range(args.runs):
        shift = round_ % len(names)
        for name in names[shift:] + names[:shift]:
            argv, output, _ = commands[name]
            results[name].append(run_once(argv, output, work / "rss"))
        print(f"round {round_ + 1}/{args.runs} done", flush=True)

    summary = {}
    for name, runs in results.items():
        group = commands[name][2]
        row = {key: statistics.median(r[key] for r in runs) for key in ("wall", "cpu", "user", "sys", "rss_kb")}
        row["bytes"] = sizes[group]
        row["runs"] = runs
        summary[name] = row

    line_count = big.read_bytes().count(b"\n")
    print(f"\nInputs: {sizes['file']:,} bytes in {line_count:,} lines; one line of "
          f"{sizes['line']:,} bytes; {args.files:,} files, {source_bytes:,} bytes, in {tree}")
    print(f"Medians of {args.runs} runs; load average at the end {os.getloadavg()[0]:.1f}; "
          f"MB/s = input bytes / 10^6 / time\n")
    header = f"{'command':34} {'wall s':>8} {'MB/s':>7} {'CPU s':>8} {'MB/s':>7} {'user s':>7} {'sys s':>7} " \
             f"{'peak RSS':>10}"
    print(header)
    for name, row in summary.items():
        mb = row["bytes"] / 1e6
        print(f"{name:34} {row['wall']:8.3f} {mb / row['wall']:7.1f} {row['cpu']:8.3f} {mb / row['cpu']:7.1f} "
              f"{row['user']:7.3f} {row['sys']:7.3f} {row['rss_kb'] / 1024:7.1f} MiB")
    ratios = [
        ("zendrix-convert / zendrix-convert-copy", "zendrix-convert", "zendrix-convert-copy", 1.3),
        ("zendrix-convert / line_loop copy", "zendrix-convert", "line_loop copy", 1.3),
        ("line_loop convert / line_loop copy", "line_loop convert", "line_loop copy", 1.3),
        ("one line: convert / copy", "zendrix-convert, one line", "zendrix-convert-copy, one line", None),
        ("batch: convert / copy", "zendrix-convert --batch", "zendrix-convert-copy --batch", 1.5),
    ]
    print(f"\n{'ratio of medians':42} {'wall':>6} {'CPU':>6} {'user':>6}  target")
    summary["ratios"] = {}
    for label, a, b, target in ratios:
        ratio = {key: summary[a][key] / summary[b][key] for key in ("wall", "cpu", "user")}
        summary["ratios"][label] = dict(ratio, target=target)
        print(f"{label:42} {ratio['wall']:6.2f} {ratio['cpu']:6.2f} {ratio['user']:6.2f}  "
              f"{'<= ' + str(target) if target else ''}")
    batch_row = summary["zendrix-convert --batch"]
    print(f"\nbatch: {batch_row['wall'] / args.files * 1e3:.2f} ms wall, "
          f"{batch_row['cpu'] / args.files * 1e6:.0f} us CPU per file")

    if args.json:
        args.json.write_text(json.dumps(summary, indent=1))
    remove(out)
    remove(work / "rss")
    if not args.keep:
        for path in (big, oneline, tree):
            remove(path)
        if not any(work.iterdir()):
            work.rmdir()
    return 0


if __name__ == "__main__":
    sys.exit(main())
