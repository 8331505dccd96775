#!/usr/bin/python3
"""test_make_phrases.py: the phrase file generator and its checker on tiny hand-made dictionaries.

Run: python3 tools/test_make_phrases.py
甲乙丙丁戊 stand for abstract characters; 𪈼 is outside GBK.
"""

import os
import sys
import unittest

sys.dont_write_bytecode = True  # keep the shared work tree free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import check_phrases  # noqa: E402
import make_phrases  # noqa: E402


def dictionaries(st_phrases=None, ts_phrases=None, st_chars=None, ts_chars=None):
    as_dictionary = lambda d: {key: value.split() for key, value in (d or {}).items()}
    return {"STPhrases": as_dictionary(st_phrases), "TSPhrases": as_dictionary(ts_phrases),
            "STCharacters": as_dictionary(st_chars), "TSCharacters": as_dictionary(ts_chars)}


def sections(data):
    """The file's sections as name -> list of (key, value) text."""
    lines = data.decode("gbk").split("\r\n")[1:-1]
    result, at = {}, 0
    while at < len(lines):
        name, count = lines[at].rsplit(" ", 1)
        result[name] = [tuple(line.split("\t")) for line in lines[at + 1:at + 1 + int(count)]]
        at += 1 + int(count)
    return result


class GeneratorTest(unittest.TestCase):
    def test_only_entries_gbk_holds_both_ways_are_kept(self):
        st = {"甲乙": "丙丁", "𪈼乙": "丙丁", "甲丙": "𪈼丁 丙丁", "甲a": "丙a", "乙丙": "丁戊 甲甲"}
        data, report = make_phrases.build(dictionaries(st_phrases=st))
        # no fallback to a later candidate: OpenCC uses the first, so the character table decides instead
        self.assertEqual(sections(data)["s2t phrases"], [("甲乙", "丙丁"), ("乙丙", "丁戊")])
        dropped = report["s2t phrases"]["dropped"]
        self.assertEqual(dropped["phrase outside GBK"], ["甲a", "𪈼乙"])
        self.assertEqual(dropped["first candidate outside GBK"], ["甲丙"])
        self.assertEqual(report["s2t phrases"]["several candidates"], 1)

    def test_characters_with_several_gbk_forms_keep_them_in_order(self):
        st_chars = {"甲": "乙 丙 乙", "丙": "丁", "丁": "𪈼 戊", "𪈼": "甲 乙", "戊": "戊 甲"}
        data, report = make_phrases.build(dictionaries(st_chars=st_chars))
        self.assertEqual(sections(data)["s2t candidates"], [("甲", "乙丙"), ("戊", "戊甲")])
        self.assertEqual(report["s2t candidates"]["dropped"]["fewer than two forms in GBK"], ["丁"])
        self.assertEqual(report["s2t candidates"]["dropped"]["character outside GBK"], ["𪈼"])

    def test_layout_is_banner_four_sections_and_byte_order(self):
        # 丙 (B1FB) sorts before 甲 (BCD7) in GBK though not in Unicode
        data, _ = make_phrases.build(dictionaries(st_phrases={"甲乙": "甲乙", "丙丁": "丙丁"},
                                                  ts_phrases={"乙甲": "乙乙"}))
        lines = data.split(b"\r\n")
        self.assertEqual(lines[0], make_phrases.BANNER)
        self.assertEqual(lines[1], b"s2t phrases 2")
        self.assertEqual(lines[2].decode("gbk"), "丙丁\t丙丁")
        self.assertEqual([l for l in lines[1:] if l[:1].isalpha()],
                         [b"s2t phrases 2", b"t2s phrases 1", b"s2t candidates 0", b"t2s candidates 0"])
        self.assertTrue(data.endswith(b"\r\n") and b"\n\n" not in data)


class CheckerTest(unittest.TestCase):
    DICTS = dictionaries(st_phrases={"甲乙": "丙丁", "乙丙": "乙丙"}, ts_phrases={"丙丁": "甲乙"},
                         st_chars={"甲": "乙 丙"})

    def problems(self, data):
        return check_phrases.check_phrase_file(data, self.DICTS)[0]

    def good(self):
        return make_phrases.build(self.DICTS)[0]

    def test_generated_file_passes_except_for_the_minimum_size(self):
        problems = self.problems(self.good())
        self.assertTrue(all("only" in p for p in problems), problems)

    def test_format_faults_are_caught(self):
        good = self.good()
        faults = {
            "banner": good.replace(b"phrase table", b"phrase tabel"),
            "count": good.replace(b"s2t phrases 2", b"s2t phrases 3"),
            "LF ends": good.replace(b"\r\n", b"\n"),
            "ASCII in a phrase": good.replace("乙丙\t乙丙".encode("gbk"), "乙a\t乙丙".encode("gbk")),
            "odd bytes": good.replace("乙丙\t".encode("gbk"), "乙丙".encode("gbk") + b"\x81\t"),
            "trailing line": good + b"\r\n",
        }
        for what, data in faults.items():
            self.assertTrue(any("only" not in p for p in self.problems(data)), what)

    def test_order_and_repeats_are_caught(self):
        good = self.good()
        first, second = "甲乙\t丙丁".encode("gbk"), "乙丙\t乙丙".encode("gbk")
        swapped = good.replace(first + b"\r\n" + second, second + b"\r\n" + first)
        self.assertTrue(any("byte order" in p for p in self.problems(swapped)))
        repeated = good.replace(second, first)
        self.assertTrue(any("byte order" in p for p in self.problems(repeated)))

    def test_entries_unlike_opencc_are_caught(self):
        changed = self.good().replace("甲乙\t丙丁".encode("gbk"), "甲乙\t甲乙".encode("gbk"))
        self.assertTrue(any("OpenCC 丙丁" in p for p in self.problems(changed)))
        extra = dictionaries(st_phrases={"甲乙": "丙丁", "乙丙": "乙丙", "丁丁": "戊戊"},
                             ts_phrases={"丙丁": "甲乙"}, st_chars={"甲": "乙 丙"})
        problems = check_phrases.check_phrase_file(self.good(), extra)[0]
        self.assertTrue(any("丁丁 -> 戊戊 is missing" in p for p in problems), problems)

    def test_readme_must_give_each_count(self):
        counts = {"s2t phrases": 49038, "t2s phrases": 276}
        problems = []
        check_phrases.check_readme("| s2t phrases | 49,038 |\n| t2s phrases | 277 |", counts, problems)
        self.assertEqual(len(problems), 1)
        self.assertIn("t2s phrases | 276", problems[0])


if __name__ == "__main__":
    unittest.main()
