#!/usr/bin/python3
"""test_make_regional.py: the phrase file 2.0 generator, its strict reader and the plain model on tiny inputs.

Run: python3 tools/test_make_regional.py
甲乙丙丁戊己 stand for abstract characters; 𪈼 is outside GBK.
"""

import os
import sys
import unittest

sys.dont_write_bytecode = True  # keep the shared work tree free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import make_regional  # noqa: E402
import make_table  # noqa: E402
import regional_model  # noqa: E402


def dictionaries(**given):
    """Every source dictionary the generator reads, empty unless given as NAME={key: 'candidates'}."""
    result = {name: {} for name in make_regional.SOURCES}
    for name, entries in given.items():
        result[name] = {key: value.split() for key, value in entries.items()}
    return result


def table(pairs):
    """A character table from (Simplified, Traditional) pairs in file order."""
    line1 = "".join(s for s, _ in pairs).encode("gbk")
    line3 = "".join(t for _, t in pairs).encode("gbk")
    return line1 + b"\r\n" + make_table.BANNER + b"\r\n" + line3 + b"\r\n"


def sections_of(data):
    problems = []
    parsed = make_regional.parse_file(data, problems)
    if problems:
        raise AssertionError(problems)
    return dict(parsed)


class GeneratorTest(unittest.TestCase):
    def test_entries_gbk_cannot_hold_are_dropped_and_counted(self):
        data, report = make_regional.build(
            dictionaries(TWPhrases={"甲乙": "丙丁", "𪈼乙": "丙丁", "甲丙": "𪈼丁 丙丁", "甲a": "丙a"}), table([]),
            ascii=False)
        self.assertEqual(sections_of(data)["dictionary TWPhrases"], [("甲乙", "丙丁")])
        figures = next(f for f in report if f["name"] == "dictionary TWPhrases")
        self.assertEqual(figures["dropped"], {"key outside GBK": ["𪈼乙"], "key with ASCII": ["甲a"],
                                              "form outside GBK": ["甲丙"], "form with ASCII": []})
        self.assertEqual((figures["entries"], figures["kept"]), (4, 1))

    def test_ascii_among_the_characters_unless_two_byte_only(self):
        given = dictionaries(TWPhrases={"U乙": "丙丁", "甲乙": "A乙", "甲 乙": "丙丁", "ab": "丙丁"})
        data, _ = make_regional.build(given, table([]), ascii=False)
        self.assertEqual(sections_of(data)["dictionary TWPhrases"], [])
        data, _ = make_regional.build(given, table([]))
        problems = []
        parsed = dict(make_regional.parse_file(data, problems, ascii=True))
        self.assertEqual(problems, [])
        # a space, or no two-byte character at all, still keeps an entry out; ASCII sorts before GBK
        self.assertEqual(parsed["dictionary TWPhrases"], [("U乙", "丙丁"), ("甲乙", "A乙")])
        self.assertNotEqual(self.strict_faults(data), [])

    def strict_faults(self, data):
        problems = []
        make_regional.parse_file(data, problems, ascii=False)
        return problems

    def test_union_keeps_every_key_and_the_first_source_wins_a_shared_key(self):
        data, _ = make_regional.build(dictionaries(
            STPhrases={"甲乙": "丙丙", "乙丙": "𪈼丁"},
            STPhrases_GeneratedFromRegionalPhrases={"甲乙": "丁丁", "丙丁戊": "戊戊戊", "乙丙": "己己"}), table([]))
        # 乙丙: the union's form is the first source's, outside GBK, so the key goes; the second's is not used
        self.assertEqual(sections_of(data)["dictionary STPhrases"], [("丙丁戊", "戊戊戊"), ("甲乙", "丙丙")])

    def test_character_dictionaries_keep_only_what_the_table_does_not_give(self):
        pairs = [("甲", "乙"), ("丙", "丁"), ("戊", "己")]
        data, report = make_regional.build(dictionaries(STCharacters={"甲": "乙", "丙": "戊 丁", "己": "甲"}),
                                           table(pairs))
        # 甲 agrees with the table; 丙 differs; 己 is new; 戊 is converted by the table only: identity entry
        self.assertEqual(sections_of(data)["dictionary STCharacters"], [("丙", "戊"), ("己", "甲"), ("戊", "戊")])
        figures = next(f for f in report if f["name"] == "dictionary STCharacters")
        self.assertEqual(figures["identities"], ["戊"])
        # the other direction reads line 3 of the table: 乙 -> 甲 agrees, so nothing is shipped
        data, _ = make_regional.build(dictionaries(TSCharacters={"乙": "甲", "丁": "丙", "己": "戊"}), table(pairs))
        self.assertEqual(sections_of(data)["dictionary TSCharacters"], [])

    def test_layout_banner_named_sections_and_gbk_byte_order(self):
        # 丙 (B1FB) sorts before 甲 (BCD7) in GBK though not in Unicode
        data, _ = make_regional.build(dictionaries(TWVariants={"甲": "乙", "丙": "丁"},
                                                   STCharacters={"甲": "乙 丙"}), table([]))
        lines = data.split(b"\r\n")
        self.assertEqual(lines[0], make_regional.BANNER)
        names = [name for name, _ in make_regional.parse_file(data, [])]
        self.assertEqual(names, ["dictionary " + n for n, _ in make_regional.DICTIONARY_SECTIONS] +
                         ["candidates s2t", "candidates t2s"])
        at = lines.index(b"dictionary TWVariants 2")
        self.assertEqual(lines[at + 1:at + 3], ["丙\t丁".encode("gbk"), "甲\t乙".encode("gbk")])
        self.assertIn("甲\t乙丙".encode("gbk"), lines[lines.index(b"candidates s2t 1") + 1:])


class ReaderTest(unittest.TestCase):
    def setUp(self):
        self.data, _ = make_regional.build(dictionaries(TWPhrases={"甲乙": "丙丁", "丙丁": "甲乙"}), table([]))

    def faults(self, data):
        problems = []
        make_regional.parse_file(data, problems, ascii=False)
        return problems

    def test_the_built_file_reads_without_fault(self):
        self.assertEqual(self.faults(self.data), [])

    def test_each_kind_of_damage_is_a_fault(self):
        first, second = "丙丁\t甲乙".encode("gbk"), "甲乙\t丙丁".encode("gbk")
        damaged = {
            "LF line ends": self.data.replace(b"\r\n", b"\n"),
            "keys out of order": self.data.replace(first + b"\r\n" + second, second + b"\r\n" + first),
            "a key twice": self.data.replace(first + b"\r\n" + second, first + b"\r\n" + first),
            "count too high": self.data.replace(b"dictionary TWPhrases 2", b"dictionary TWPhrases 3"),
            "count too low": self.data.replace(b"dictionary TWPhrases 2", b"dictionary TWPhrases 1"),
            "ASCII in an entry": self.data.replace(second, "甲乙\t丙a".encode("gbk")),
            "no final line end": self.data[:-2],
            "other banner": self.data.replace(b"2.0", b"1.0", 1),
            "a lone lead byte": self.data.replace(second, second[:-1]),
        }
        for what, data in damaged.items():
            self.assertNotEqual(self.faults(data), [], what)


class ModelTest(unittest.TestCase):
    """The chaining and segment rules where they decide, on hand-made dictionaries."""

    def model(self, **entries):
        dictionaries = {name: regional_model.Dictionary({}) for name, _ in make_regional.DICTIONARY_SECTIONS}
        for name, mapping in entries.items():
            dictionaries[name] = regional_model.Dictionary(mapping)
        return dictionaries

    def test_a_later_step_is_confined_to_the_segments_of_the_first(self):
        # STPhrases makes 甲乙 one segment, so TWPhrases' 乙丙 (spanning two segments) cannot apply
        d = self.model(STPhrases={"甲乙": "甲乙"}, TWPhrases={"乙丙": "戊戊"})
        self.assertEqual(regional_model.run("s2twp", d, "甲乙丙"), "甲乙丙")
        # without the segment boundary it applies within the unmatched run
        self.assertEqual(regional_model.run("s2twp", d, "丁乙丙"), "丁戊戊")
        # t2tw has no segmentation: the whole text is one segment
        d = self.model(TWVariantsPhrases={"乙丙": "戊戊"})
        self.assertEqual(regional_model.run("t2tw", d, "甲乙丙"), "甲戊戊")

    def test_short_circuit_takes_the_first_dictionary_that_matches_not_the_longest(self):
        d = self.model(TWPhrases={"甲乙": "丙丙"}, TWVariantsPhrases={"甲乙丙": "丁丁丁"})
        self.assertEqual(regional_model.run("s2twp", d, "甲乙丙"), "丙丙丙")
        d = self.model(TWPhrases={"乙": "丙"}, TWVariantsPhrases={"甲乙丙": "丁丁丁"})
        self.assertEqual(regional_model.run("s2twp", d, "甲乙丙"), "丁丁丁")

    def test_steps_see_the_output_of_the_previous_step(self):
        d = self.model(STPhrases={"甲乙": "丙丁"}, TWVariantsPhrases={"丙丁": "戊己"})
        self.assertEqual(regional_model.run("s2tw", d, "甲乙"), "戊己")

    def test_ideographic_description_sequences_are_copied_whole(self):
        d = self.model(TWVariants={"甲": "乙"})
        self.assertEqual(regional_model.run("t2tw", d, "⿰甲甲甲"), "⿰甲甲乙")
        # nested, and an incomplete one, whose operator is then an ordinary character
        self.assertEqual(regional_model.run("t2tw", d, "⿱⿰甲甲甲"), "⿱⿰甲甲甲")
        self.assertEqual(regional_model.run("t2tw", d, "甲⿰甲"), "乙⿰乙")

    def test_compatibility_ideographs_are_normalized_before_segmentation(self):
        d = self.model(CJK_Compatibility_Ideographs={"\uf92c": "郎"}, STPhrases={"郎中": "甲乙"})
        self.assertEqual(regional_model.run("s2tw", d, "\uf92c中"), "甲乙")


if __name__ == "__main__":
    unittest.main()
