#!/usr/bin/env python3
"""make_char_classes.py: writes core/CharClasses.inc, the character classes the encoding detection weighs.

Every code point from U+0080 up gets three things: its script (a block-level grouping: letters of one script
form words together), its kind (letter, mark, digit, punctuation or symbol, space, or unusable: C1 controls,
unassigned and private-use code points) taken from Python's Unicode database, and a cost in bits: how unlikely
the character is in ordinary modern text. Consecutive code points with the same three are merged into ranges.
Run it again (python3 tools/make_char_classes.py > core/CharClasses.inc) after changing the blocks below.
"""
import sys
import unicodedata

SCRIPTS = ["Common", "Inherited", "Latin", "Greek", "Cyrillic", "Armenian", "Hebrew", "Arabic", "RareRtl",
           "Devanagari", "Bengali", "Gurmukhi", "Gujarati", "Oriya", "Tamil", "Telugu", "Kannada", "Malayalam",
           "Sinhala", "Thai", "Lao", "Tibetan", "Myanmar", "Georgian", "Hangul", "Ethiopic", "Khmer",
           "Mongolian", "Han", "Kana", "Bopomofo", "Historic"]

# (first, last, script, cost): the cost of an ordinary character of the range in bits, roughly the log of how
# many characters of the range share the use and how seldom the range is used at all. Later rows override
# earlier ones where they overlap.
BLOCKS = [
    (0x0080, 0x00BF, "Common", 6),  # Latin-1 punctuation and signs
    (0x00C0, 0x00FF, "Latin", 4),  # accented letters of western Europe
    (0x0100, 0x017F, "Latin", 5),  # Latin Extended-A: central Europe, Turkish, pinyin tones
    (0x0180, 0x024F, "Latin", 8),  # Latin Extended-B: a few letters of Vietnamese, Romanian, pinyin
    (0x0250, 0x02AF, "Latin", 11),  # IPA
    (0x02B0, 0x02FF, "Common", 12),  # spacing modifiers: seldom seen outside phonetics
    (0x02BB, 0x02BC, "Latin", 9),  # the apostrophes that are letters: Hawaiian, Tongan, Gwich'in, Ukrainian
    (0x0300, 0x036F, "Inherited", 8),  # combining diacritics
    (0x0370, 0x03FF, "Greek", 5),
    (0x0370, 0x0385, "Greek", 13),  # archaic letters, numeral signs, lone tonos
    (0x03CF, 0x03FF, "Greek", 12),  # symbols, Coptic
    (0x0400, 0x045F, "Cyrillic", 5),
    (0x0460, 0x048F, "Cyrillic", 13),  # historic letters and signs
    (0x0490, 0x0491, "Cyrillic", 7),  # Ukrainian ghe with upturn
    (0x0492, 0x04FF, "Cyrillic", 11),  # letters of Kazakh, Tajik, Bashkir, ...
    (0x0500, 0x052F, "Cyrillic", 13),
    (0x0530, 0x058F, "Armenian", 6),
    (0x0590, 0x05FF, "Hebrew", 6),
    (0x05EF, 0x05F2, "Hebrew", 12),  # Yiddish ligatures
    (0x05F3, 0x05F4, "Hebrew", 8),  # geresh and gershayim, inside Hebrew words
    (0x0600, 0x06FF, "Arabic", 6),
    (0x0600, 0x060B, "Arabic", 12),
    (0x06D4, 0x06FF, "Arabic", 10),
    (0x0700, 0x07FF, "RareRtl", 10),  # Syriac, Arabic supplement, Thaana, N'Ko
    (0x0750, 0x077F, "Arabic", 10),
    (0x0800, 0x08FF, "RareRtl", 12),
    (0x0900, 0x097F, "Devanagari", 6),
    (0x0980, 0x09FF, "Bengali", 6),
    (0x0A00, 0x0A7F, "Gurmukhi", 6),
    (0x0A80, 0x0AFF, "Gujarati", 6),
    (0x0B00, 0x0B7F, "Oriya", 6),
    (0x0B80, 0x0BFF, "Tamil", 6),
    (0x0C00, 0x0C7F, "Telugu", 6),
    (0x0C80, 0x0CFF, "Kannada", 6),
    (0x0D00, 0x0D7F, "Malayalam", 6),
    (0x0D80, 0x0DFF, "Sinhala", 6),
    (0x0E00, 0x0E7F, "Thai", 5),
    (0x0E80, 0x0EFF, "Lao", 7),
    (0x0F00, 0x0FFF, "Tibetan", 8),
    (0x1000, 0x109F, "Myanmar", 8),
    (0x10A0, 0x10FF, "Georgian", 6),
    (0x1100, 0x11FF, "Hangul", 11),  # conjoining jamo
    (0x1200, 0x139F, "Ethiopic", 8),
    (0x13A0, 0x177F, "Historic", 12),  # Cherokee, Canadian syllabics, Ogham, Runic, Philippine scripts
    (0x1780, 0x17FF, "Khmer", 7),
    (0x1800, 0x18AF, "Mongolian", 9),
    (0x18B0, 0x1CFF, "Historic", 12),
    (0x1D00, 0x1DBF, "Latin", 12),  # phonetic extensions
    (0x1DC0, 0x1DFF, "Inherited", 12),
    (0x1E00, 0x1EFF, "Latin", 6),  # Latin Extended Additional: Vietnamese
    (0x1F00, 0x1FFF, "Greek", 8),  # polytonic Greek
    (0x2000, 0x206F, "Common", 5),  # dashes, quotes, ellipsis, bullets
    (0x2000, 0x200A, "Common", 8),  # spaces of set widths
    (0x200B, 0x200F, "Common", 7),  # zero-width joiners and direction marks
    (0x2028, 0x202F, "Common", 10),
    (0x2060, 0x206F, "Common", 11),
    (0x2070, 0x209F, "Common", 9),  # superscripts and subscripts
    (0x20A0, 0x20CF, "Common", 7),  # currency
    (0x20D0, 0x20FF, "Inherited", 13),
    (0x2100, 0x214F, "Common", 7),  # letterlike: numero, trade mark, degrees
    (0x2150, 0x218F, "Common", 8),  # number forms, Roman numerals
    (0x2190, 0x21FF, "Common", 6),  # arrows
    (0x2200, 0x22FF, "Common", 7),  # mathematical operators
    (0x2300, 0x23FF, "Common", 8),
    (0x2400, 0x245F, "Common", 11),
    (0x2460, 0x24FF, "Common", 7),  # circled numbers
    (0x2500, 0x25FF, "Common", 6),  # box drawing, blocks, shapes
    (0x2600, 0x27BF, "Common", 7),  # symbols, dingbats
    (0x27C0, 0x2BFF, "Common", 9),
    (0x2C00, 0x2DFF, "Historic", 13),  # Glagolitic, Coptic, Tifinagh, ...
    (0x2C60, 0x2C7F, "Latin", 11),
    (0x2DE0, 0x2DFF, "Inherited", 13),
    (0x2E00, 0x2E7F, "Common", 10),
    (0x2E80, 0x2FDF, "Han", 11),  # radicals
    (0x2FF0, 0x2FFF, "Common", 13),
    (0x3000, 0x303F, "Common", 4),  # CJK punctuation: 、。「」【】
    (0x3005, 0x3007, "Han", 6),  # 々 〆 〇
    (0x3040, 0x30FF, "Kana", 5),
    (0x3100, 0x312F, "Bopomofo", 8),
    (0x3130, 0x318F, "Hangul", 9),  # compatibility jamo
    (0x3190, 0x319F, "Han", 12),
    (0x31A0, 0x31BF, "Bopomofo", 11),
    (0x31C0, 0x31EF, "Han", 12),
    (0x31F0, 0x31FF, "Kana", 9),
    (0x3200, 0x33FF, "Common", 9),  # enclosed and squared CJK
    (0x3400, 0x4DBF, "Han", 13),  # extension A
    (0x4DC0, 0x4DFF, "Common", 13),
    (0x4E00, 0x9FFF, "Han", 10),
    (0xA000, 0xA4CF, "Historic", 13),  # Yi
    (0xA4D0, 0xABFF, "Historic", 13),
    (0xAC00, 0xD7AF, "Hangul", 9),
    (0xD7B0, 0xD7FF, "Hangul", 13),
    (0xE000, 0xF8FF, "Common", 15),  # private use
    (0xF900, 0xFAFF, "Han", 12),  # compatibility ideographs
    (0xFB00, 0xFB4F, "Latin", 11),  # ligatures, Hebrew presentation forms
    (0xFB1D, 0xFB4F, "Hebrew", 11),
    (0xFB50, 0xFDFF, "Arabic", 11),
    (0xFE00, 0xFE0F, "Inherited", 10),  # variation selectors
    (0xFE10, 0xFE6F, "Common", 9),  # vertical and small forms
    (0xFE20, 0xFE2F, "Inherited", 13),
    (0xFE70, 0xFEFF, "Arabic", 11),
    (0xFEFF, 0xFEFF, "Common", 10),
    (0xFF00, 0xFF60, "Common", 5),  # full-width forms
    (0xFF61, 0xFF9F, "Kana", 9),  # half-width katakana
    (0xFFA0, 0xFFDF, "Hangul", 12),
    (0xFFE0, 0xFFEF, "Common", 7),
    (0xFFF0, 0xFFFF, "Common", 13),
    (0x10000, 0x1F0FF, "Historic", 14),
    (0x1F100, 0x1F2FF, "Common", 10),
    (0x1F300, 0x1FAFF, "Common", 8),  # emoji
    (0x1FB00, 0x1FFFF, "Common", 13),
    (0x20000, 0x3FFFF, "Han", 14),  # extensions B to H
    (0x40000, 0x10FFFF, "Historic", 14),
]
# Above the first plane only the blocks matter: those planes are too seldom used for their gaps to tell.
BLOCK_ONLY_FROM = 0x10000
UNASSIGNED_PLANES = (0x40000, 0xDFFFF)

# Digits and fractions stand apart from words as symbols do, while punctuation closes or opens words.
KINDS = {"Lu": "kCapital", "Lt": "kCapital", "L": "kLetter", "M": "kMark", "N": "kSymbol", "P": "kPunct",
         "S": "kSymbol", "Z": "kSpace"}
# Letters that exist only for compatibility with older character sets (Catalan's L with middle dot, ligatures)
# and combining marks that no precomposed letter of a modern alphabet uses are rarer than their block.
COMPAT_LETTER_EXTRA = 4
RARE_MARK_EXTRA = 8
ALPHABETS = [(0x00C0, 0x024F), (0x0370, 0x04FF), (0x1E00, 0x1FFF)]


def marks_of_alphabets() -> set[int]:
    marks = set()
    for first, last in ALPHABETS:
        for cp in range(first, last + 1):
            for part in unicodedata.normalize("NFD", chr(cp))[1:]:
                marks.add(ord(part))
    return marks


COMMON_MARKS = marks_of_alphabets()
UNUSABLE_COST = 24  # C1 controls, unassigned code points, noncharacters
PRIVATE_COST = 15


def classify(cp: int) -> tuple[str, str, int]:
    script, cost = "Historic", 14
    for first, last, name, bits in BLOCKS:
        if first <= cp <= last:
            script, cost = name, bits
    if UNASSIGNED_PLANES[0] <= cp <= UNASSIGNED_PLANES[1]:
        return "Common", "kUnusable", UNUSABLE_COST
    if cp >= 0xF0000:
        return "Common", "kPunct", PRIVATE_COST
    if cp >= BLOCK_ONLY_FROM:
        return script, "kLetter" if script == "Han" else "kPunct", cost
    category = unicodedata.category(chr(cp))
    if category in ("Cc", "Cn", "Cs"):
        return "Common", "kUnusable", UNUSABLE_COST
    if category == "Co":
        return "Common", "kPunct", PRIVATE_COST
    if category in ("Zl", "Zp"):
        return "Common", "kPunct", max(cost, 10)
    if category == "Cf":
        return script, "kPunct", cost  # soft hyphen, joiners, direction marks
    if category[0] == "L" and script == "Common" or category == "Lm" and script in ("Latin", "Greek"):
        return script, "kPunct", cost  # modifier letters stand beside letters, not inside words
    decomposition = unicodedata.decomposition(chr(cp))
    if category[0] == "L" and decomposition.startswith("<"):
        cost += COMPAT_LETTER_EXTRA
    if category[0] == "M" and script == "Inherited" and cp not in COMMON_MARKS:
        cost += RARE_MARK_EXTRA
    return script, KINDS.get(category, KINDS[category[0]]), cost


def main() -> int:
    ranges = []
    for cp in range(0x80, 0x110000):
        entry = classify(cp)
        if not ranges or ranges[-1][1:] != entry:
            ranges.append((cp,) + entry)
    out = sys.stdout
    out.write("// CharClasses.inc: script, kind and cost in bits of every code point from U+0080, as ranges.\n")
    out.write(f"// Generated by tools/make_char_classes.py from Unicode {unicodedata.unidata_version}; "
              "do not edit.\n")
    out.write("// clang-format off\n")
    out.write("enum CharScript : std::uint8_t {\n")
    for k, name in enumerate(SCRIPTS):
        out.write(f"    k{name} = {k},\n")
    out.write("};\n\n")
    out.write("constexpr CharRange kCharRanges[] = {\n")
    for first, script, kind, cost in ranges:
        out.write(f"    {{0x{first:06X}, k{script}, {kind}, {cost}}},\n")
    out.write("};\n// clang-format on\n")
    print(f"{len(ranges)} ranges", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
