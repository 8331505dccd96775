#!/usr/bin/env python3
"""make_regional_corpus.py: Simplified, Taiwan and Hong Kong text from Debian's catalogues and manual pages.

Sources (each file is one unit; files alternate between the two halves in path order, so a file's lines are
never split between them):
  cn  zh_CN message catalogues (*.mo) under the given roots, and the manual pages of manpages-zh (zh_CN)
  tw  zh_TW message catalogues and manual pages (zh_TW)
  hk  zh_HK message catalogues
Roots default to /usr/share/locale plus any extra folders given with --root, for instance packages unpacked with
`apt-get download NAME && dpkg-deb -x NAME.deb DIR` (then --root DIR/usr/share/locale). The figures in
data/README.md come from this machine's /usr/share/locale and manpages-zh with these Debian 12 packages added:
  evince-common evolution-data-server-common file-roller gedit-common gimp-data libgimp2.0 libglib2.0-data
  gnome-control-center-data gnome-desktop3-data gnome-shell-common gnome-software-common libgtk-3-common
  libgtk-4-common libgweather-4-common mutter-common nautilus-data rhythmbox-data totem-common

Every line keeps only what GBK holds in two bytes or ASCII (other characters are dropped, as in make_bench_text.py),
control characters other than TAB are removed, lines without a Chinese character are skipped, and a line already
seen in any file of the same variety is written once. Writes OUT/{cn,tw,hk}.{dev,held}.txt in UTF-8, LF ends.

With --keys DUMPS (data/opencc-1.4.2) it writes instead text made of the dictionaries' own keys, three keys to a
line in a fixed random order, alternate lines to the two halves: a stress test of every entry and of phrases
meeting at segment boundaries, not real text.

With --fortunes DIR it writes instead OUT/cn.{dev,held}.txt from Debian's fortunes-zh (sayings, prose, Tang and
Song verse in Simplified Chinese), unpacked with `apt-get download fortunes-zh && dpkg-deb -x fortunes-zh_*.deb
DIR`: entries alternate between the halves, terminal colour codes removed. Text of another kind than the
catalogues and manual pages, with few of the words of computing that Taiwan's vocabulary replaces.
"""
import argparse
import gettext
import gzip
import pathlib
import re
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from make_bench_text import page_text  # noqa: E402

HAN = re.compile(r"[\u3400-\u9fff\uf900-\ufaff]")
CONTROL = re.compile(r"[\x00-\x08\x0a-\x1f\x7f]")
VARIETIES = {"cn": ("zh_CN",), "tw": ("zh_TW",), "hk": ("zh_HK",)}


def gbk_only(text: str) -> str:
    out = []
    for ch in text:
        if ch < "\x80":
            out.append(ch)
            continue
        try:
            if len(ch.encode("gbk")) == 2:
                out.append(ch)
        except UnicodeEncodeError:
            pass
    return "".join(out)


def catalogue_lines(path: pathlib.Path) -> list[str]:
    try:
        with path.open("rb") as f:
            catalogue = gettext.GNUTranslations(f)._catalog
    except (OSError, UnicodeDecodeError) as e:
        print(f"skipped {path}: {e}", file=sys.stderr)
        return []
    lines = []
    for key in sorted(catalogue, key=repr):
        if key == "" or not isinstance(catalogue[key], str):
            continue
        lines.extend(catalogue[key].splitlines())
    return lines


def manual_lines(path: pathlib.Path) -> list[str]:
    return page_text(gzip.decompress(path.read_bytes()).decode("utf-8", errors="ignore"))


def sources(variety: str, roots: list[pathlib.Path], man: pathlib.Path) -> list[pathlib.Path]:
    found = []
    for locale in VARIETIES[variety]:
        for root in roots:
            found += [p for p in root.rglob(f"{locale}/LC_MESSAGES/*.mo") if p.is_file()]
        manual = man / locale
        if manual.is_dir():
            found += [p for p in manual.rglob("*.gz") if p.is_file()]
    return sorted(set(found))


KEY_SOURCES = {"cn": ("STPhrases", "STPhrases_GeneratedFromRegionalPhrases", "TWPhrases", "HKPhrases"),
               "tw": ("TSPhrases", "TWPhrasesRev", "TWVariantsRevPhrases", "TWPhrases"),
               "hk": ("TSPhrases", "HKPhrasesRev", "HKVariantsRevPhrases", "HKVariantsPhrases")}


def write_keys(dumps: pathlib.Path, out: pathlib.Path) -> None:
    import random
    for variety, names in KEY_SOURCES.items():
        keys = []
        for name in names:
            for line in (dumps / f"{name}.txt").read_text(encoding="utf-8").splitlines():
                key = line.split("\t")[0]
                if gbk_only(key) == key:
                    keys.append(key)
        random.Random(7).shuffle(keys)
        lines = ["".join(keys[i:i + 3]) for i in range(0, len(keys), 3)]
        for index, name in enumerate(("dev", "held")):
            (out / f"{variety}.{name}.txt").write_text("".join(l + "\n" for l in lines[index::2]), encoding="utf-8")
        print(f"{variety}: {len(keys)} keys, {len(lines)} lines")


def write_fortunes(unpacked: pathlib.Path, out: pathlib.Path) -> None:
    folder = unpacked / "usr/share/games/fortunes"
    halves = {"dev": [], "held": []}
    count = 0
    for name in ("chinese", "tang300", "song100"):
        text = re.sub(r"\x1b\[[0-9;]*m", "", (folder / name).read_text(encoding="utf-8"))
        for entry in text.split("\n%\n"):
            lines = [gbk_only(CONTROL.sub("", line)).rstrip() for line in entry.splitlines()]
            halves["dev" if count % 2 == 0 else "held"].extend(line for line in lines if line.strip())
            count += 1
    for half, lines in halves.items():
        text = "".join(line + "\n" for line in lines)
        (out / f"cn.{half}.txt").write_text(text, encoding="utf-8")
        print(f"cn.{half}: {len(lines)} lines, {len(HAN.findall(text))} Chinese characters, {len(text.encode())} bytes")


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True, type=pathlib.Path)
    parser.add_argument("--root", action="append", type=pathlib.Path, default=[],
                        help="extra folder searched for LOCALE/LC_MESSAGES/*.mo (repeatable)")
    parser.add_argument("--man", type=pathlib.Path, default=pathlib.Path("/usr/share/man"))
    parser.add_argument("--keys", type=pathlib.Path, metavar="DUMPS", help="write text made of dictionary keys")
    parser.add_argument("--fortunes", type=pathlib.Path, metavar="DIR", help="write Simplified text of fortunes-zh")
    args = parser.parse_args()
    if args.fortunes:
        args.out.mkdir(parents=True, exist_ok=True)
        write_fortunes(args.fortunes, args.out)
        return 0
    if args.keys:
        args.out.mkdir(parents=True, exist_ok=True)
        write_keys(args.keys, args.out)
        return 0
    roots = [pathlib.Path("/usr/share/locale")] + args.root
    args.out.mkdir(parents=True, exist_ok=True)
    for variety in VARIETIES:
        files = sources(variety, roots, args.man)
        if not files:
            print(f"{variety}: no sources found", file=sys.stderr)
            return 1
        seen = set()
        halves = {"dev": [], "held": []}
        for index, path in enumerate(files):
            raw = manual_lines(path) if path.suffix == ".gz" else catalogue_lines(path)
            half = halves["dev" if index % 2 == 0 else "held"]
            for line in raw:
                line = gbk_only(CONTROL.sub("", line)).strip()
                if not HAN.search(line) or line in seen:
                    continue
                seen.add(line)
                half.append(line)
        for name, lines in halves.items():
            text = "".join(line + "\n" for line in lines)
            (args.out / f"{variety}.{name}.txt").write_text(text, encoding="utf-8")
            han = len(HAN.findall(text))
            print(f"{variety}.{name}: {len(lines)} lines, {han} Chinese characters, {len(text.encode())} bytes")
        print(f"{variety}: {len(files)} files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
