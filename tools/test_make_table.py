#!/usr/bin/python3
"""test_make_table.py: the table generator on tiny hand-made dictionaries, judged by what the program would do.

Run: python3 tools/test_make_table.py
The characters 甲乙丙丁戊 stand for abstract Simplified/Traditional forms; 𪈼 is outside GBK.
"""

import os
import sys
import unittest

sys.dont_write_bytecode = True  # keep the shared work tree free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import check_table  # noqa: E402
import make_table  # noqa: E402

NO_DECISIONS = {make_table.S2T: {}, make_table.T2S: {}}


def _width(data, pos):
    return 2 if 0x81 <= data[pos] <= 0xFE else 1


def _find(table, char):
    pos = 0
    while pos < len(table):
        if table[pos:pos + len(char)] == char:
            return pos
        pos += _width(table, pos)
    return -1


def _replace_all(text, char, replacement):
    out, pos = bytearray(), 0
    while pos < len(text):
        if text[pos:pos + len(char)] == char:
            out += replacement
            pos += len(char)
        else:
            out += text[pos:pos + _width(text, pos)]
            pos += _width(text, pos)
    return bytes(out)


def program_convert(table, text, to_traditional):
    """The program's conversion, step by step, chained replacements included."""
    lines = table.split(b"\r\n")
    search, result = (lines[0], lines[2]) if to_traditional else (lines[2], lines[0])
    data = text.encode("gbk")
    length, pos = len(data), 0
    while pos < length:
        if pos >= len(data):
            pos += 2
            continue
        width = _width(data, pos)
        char = data[pos:pos + width]
        offset = _find(search, char)
        if offset >= 0 and result[offset:offset + width] != char:
            data = _replace_all(data, char, result[offset:offset + width])
        pos += width
    return data.decode("gbk")


def build(st, ts, decisions=NO_DECISIONS):
    as_dictionary = lambda d: {key: list(value) for key, value in d.items()}
    table, _ = make_table.build(as_dictionary(st), as_dictionary(ts), decisions)
    return table


def to_trad(table, text):
    return program_convert(table, text, True)


def to_simp(table, text):
    return program_convert(table, text, False)


class ConflictResolutionTest(unittest.TestCase):
    # 甲 -> 乙 -> 丙 both ways round: the shape of the real 苎/苧/薴 triple
    ST = {"甲": "乙", "乙": "丙"}
    TS = {"丙": "乙", "乙": "甲"}

    def test_undecided_chain_is_refused_naming_it(self):
        with self.assertRaises(make_table.TableError) as caught:
            build(self.ST, self.TS)
        self.assertIn("甲", str(caught.exception))
        self.assertIn("丙", str(caught.exception))

    def test_decided_chain_converts_once_in_both_directions(self):
        decisions = {make_table.S2T: {"乙": "乙"}, make_table.T2S: {"丙": "丙"}}
        table = build(self.ST, self.TS, decisions)
        self.assertEqual(to_trad(table, "甲乙丙"), "乙乙丙")
        self.assertEqual(to_simp(table, "丙乙甲"), "丙甲甲")

    def test_decision_may_keep_the_second_link_instead(self):
        decisions = {make_table.S2T: {"甲": "甲"}, make_table.T2S: {"乙": "乙"}}
        table = build(self.ST, self.TS, decisions)
        self.assertEqual(to_trad(table, "甲乙"), "甲丙")
        self.assertEqual(to_simp(table, "丙乙"), "乙乙")

    def test_decision_that_changes_nothing_is_refused(self):
        decisions = {make_table.S2T: {"乙": "乙", "甲": "乙"}, make_table.T2S: {"丙": "丙"}}
        with self.assertRaises(make_table.TableError) as caught:
            build(self.ST, self.TS, decisions)
        self.assertIn("changes nothing", str(caught.exception))

    def test_crossed_pairs_need_a_decision_and_then_build(self):
        # 甲 must stand before 丙 on line 1's side and 丙 before 甲 on line 3's side: no order serves both
        st, ts = {"甲": "乙", "丙": "丁"}, {"乙": "丙", "丁": "甲"}
        with self.assertRaises(make_table.TableError) as caught:
            build(st, ts)
        self.assertIn("no order", str(caught.exception))
        table = build(st, ts, {make_table.S2T: {}, make_table.T2S: {"丁": "丁"}})
        self.assertEqual(to_trad(table, "甲丙"), "乙丁")
        self.assertEqual(to_simp(table, "乙丁"), "丙丁")


class FirstOccurrenceLayoutTest(unittest.TestCase):
    def test_shared_traditional_form_goes_back_to_the_ts_choice(self):
        # 丙 sorts before 甲 in GBK, so 丙乙 would come first if the reverse direction were not considered
        table = build({"甲": "乙", "丙": "乙"}, {"乙": "甲"})
        self.assertEqual(to_trad(table, "甲丙"), "乙乙")
        self.assertEqual(to_simp(table, "乙"), "甲")

    def test_character_listed_for_one_direction_only_stays_in_the_other(self):
        table = build({"甲": "乙"}, {"丁": "丙"})
        self.assertEqual(to_trad(table, "甲乙丙丁"), "乙乙丙丁")
        self.assertEqual(to_simp(table, "甲乙丙丁"), "甲乙丙丙")

    def test_preferred_identity_keeps_a_character_that_has_other_candidates(self):
        table = build({"甲": ["甲", "乙"]}, {"乙": ["甲"]})
        self.assertEqual(to_trad(table, "甲乙"), "甲乙")
        self.assertEqual(to_simp(table, "甲乙"), "甲甲")

    def test_non_gbk_preferred_form_falls_back_or_is_dropped(self):
        st = {"甲": ["𪈼", "乙"], "丙": ["𪈼"], "𪈼": ["丁"], "戊": ["丁"]}
        table, report = make_table.build(st, {}, NO_DECISIONS)
        self.assertEqual(to_trad(table, "甲丙戊"), "乙丙丁")
        self.assertEqual(report["fallbacks s2t"], ["甲"])
        self.assertEqual(report["dropped s2t"], ["丙"])

    def test_same_entries_in_another_order_give_the_same_bytes(self):
        st = {"甲": ["乙"], "丙": ["乙"], "丁": ["戊", "丁"]}
        ts = {"乙": ["甲"], "戊": ["丁"]}
        reversed_st = dict(reversed(list(st.items())))
        reversed_ts = dict(reversed(list(ts.items())))
        self.assertEqual(make_table.build(st, ts, NO_DECISIONS)[0],
                         make_table.build(reversed_st, reversed_ts, NO_DECISIONS)[0])

    def test_malformed_dump_line_is_reported_with_its_number(self):
        with self.assertRaises(make_table.TableError) as caught:
            make_table.parse_dictionary(["甲\t乙\n", "丙 丁\n"], "dump")
        self.assertIn("dump:2", str(caught.exception))


class CheckerTest(unittest.TestCase):
    ST = {"甲": ["乙"], "丙": ["丁"]}
    TS = {"乙": ["甲"], "丁": ["丙"]}

    def problems(self, table):
        problems, _ = check_table.check_table(table, self.ST, self.TS, NO_DECISIONS)
        return [p for p in problems if "pairs, expected at least" not in p]

    def table(self, line1, line3, banner=make_table.BANNER, end=b"\r\n"):
        return end.join([line1.encode("gbk"), banner, line3.encode("gbk")]) + end

    def test_generated_table_passes(self):
        self.assertEqual(self.problems(build({"甲": "乙", "丙": "丁"}, {"乙": "甲", "丁": "丙"})), [])

    def test_chain_is_caught(self):
        problems = self.problems(self.table("甲丙乙", "乙丁丙"))
        self.assertTrue(any("s2t chains" in p for p in problems), problems)

    def test_shadowed_opencc_form_is_caught(self):
        problems = self.problems(self.table("甲甲丙", "甲乙丁"))
        self.assertTrue(any("converts to 甲" in p for p in problems), problems)

    def test_format_faults_are_caught(self):
        self.assertTrue(self.problems(self.table("甲丙", "乙丁", end=b"\n")))
        self.assertTrue(self.problems(self.table("甲丙", "乙丁", banner=make_table.BANNER + b" ")))
        self.assertTrue(self.problems(self.table("甲丙", "乙丁a")))


if __name__ == "__main__":
    unittest.main()
