// TextReadings.cpp: character classes of both encodings and the price of their joins.
#include "TextReadings.hpp"

#include <algorithm>
#include <iterator>

#include "HanCosts.hpp"

namespace detection {
namespace {

struct CharRange {
    char32_t first;
    std::uint8_t script;
    CharKind kind;
    std::uint8_t bits;
};

#include "CharClasses.inc"

constexpr Cost Bits(int bits) { return 2 * bits; }

// Scripts whose words sit next to each other without a space in ordinary text: Japanese mixes kanji and
// kana, Chinese and Japanese text put Latin words and ideographs side by side, Korean sometimes has Hanja.
bool IsCjk(std::uint8_t script) {
    return script == kHan || script == kKana || script == kHangul || script == kBopomofo;
}

Cost LetterJoin(std::uint8_t before, std::uint8_t next) {
    if (before == next) return 0;
    if ((before == kHan && next == kKana) || (before == kKana && next == kHan)) return 1;
    if ((before == kHan && next == kBopomofo) || (before == kBopomofo && next == kHan)) return 2;
    if ((before == kLatin && IsCjk(next)) || (IsCjk(before) && next == kLatin)) return Bits(2);
    if (IsCjk(before) && IsCjk(next)) return Bits(3);
    return Bits(8);
}

}  // namespace

Cost JoinCost(CharClass before, CharClass next) {
    if (before.kind == kUnusable || next.kind == kUnusable) return 0;  // priced enough by their rarity
    const bool letterBefore = before.kind == kLetter || before.kind == kCapital;
    switch (next.kind) {
        case kLetter:
        case kCapital:
            if (letterBefore) {
                const Cost shift = before.kind == kLetter && next.kind == kCapital ? Bits(6) : 0;
                return shift + LetterJoin(before.script, next.script);
            }
            if (before.kind == kMark) {
                return before.script == next.script || before.script == kInherited ? 1 : Bits(8);
            }
            return before.kind == kSymbol ? Bits(1) : 3;  // a word starts
        case kMark:
            if ((letterBefore || before.kind == kMark) &&
                (next.script == kInherited || next.script == before.script)) {
                return 2;
            }
            return Bits(12);  // a mark on a space, a digit or a letter of another script
        case kSymbol:
            return letterBefore || before.kind == kMark ? Bits(1) : 1;
        default:
            return 1;
    }
}

CharClass ClassOfCodePoint(char32_t cp, Cost& rarity) {
    const CharRange* range = std::upper_bound(std::begin(kCharRanges), std::end(kCharRanges), cp,
                                              [](char32_t c, const CharRange& r) { return c < r.first; }) -
                             1;
    rarity = Bits(range->bits);
    return CharClass{range->kind, range->script};
}

CharClass ClassOfGbkPair(unsigned char lead, unsigned char trail, Cost& rarity) {
    const CharClass hanzi{kLetter, kHan};
    const CharClass symbol{kPunct, kCommon};
    if (trail < 0xA1) {
        // Lead 81 to A0 with any trail, or AA to FE with a low trail: GBK's extension hanzi, which Simplified
        // text seldom needs and Traditional text needs often. A8 and A9 hold symbols there, A1 to A7 the
        // user-defined area.
        if (lead <= 0xA0 || lead >= 0xAA) {
            rarity = Bits(15);
            return hanzi;
        }
        rarity = Bits(lead >= 0xA8 ? 16 : 20);
        return symbol;
    }
    if (lead <= 0xA0) {
        rarity = Bits(15);
        return hanzi;
    }
    // GB2312's rows.
    if (lead >= 0xB0 && lead <= 0xD7) {
        rarity = Bits(lead == 0xD7 && trail > 0xF9 ? 20 : 10);  // level 1, in order of pronunciation
        return hanzi;
    }
    if (lead >= 0xD8 && lead <= 0xF7) {
        rarity = Bits(14);  // level 2, the less common hanzi
        return hanzi;
    }
    switch (lead) {
        case 0xA1:  // 、。“”《》…
            rarity = Bits(6);
            return symbol;
        case 0xA3:  // full-width ASCII: ，：（）
            rarity = Bits(7);
            return symbol;
        case 0xA4:
        case 0xA5:
            rarity = Bits(9);
            return CharClass{kLetter, kKana};
        case 0xA6:
            rarity = Bits(10);
            return CharClass{kLetter, kGreek};
        case 0xA7:
            rarity = Bits(10);
            return CharClass{kLetter, kCyrillic};
        case 0xA2:
        case 0xA8:
        case 0xA9:
            rarity = Bits(10);  // numbers in circles and brackets, pinyin, box drawing
            return symbol;
        default:
            rarity = Bits(20);  // user-defined rows AA to AF and F8 to FE
            return symbol;
    }
}

CharClass ClassOfStrayGbkByte(Cost& rarity) {
    rarity = Bits(24);
    return CharClass{kUnusable, kCommon};
}

CharClass ClassOfAscii(unsigned char b) {
    if (b >= 'A' && b <= 'Z') return CharClass{kCapital, kLatin};
    if (b >= 'a' && b <= 'z') return CharClass{kLetter, kLatin};
    if (b == ' ' || b == '\t' || b == '\r' || b == '\n') return CharClass{kSpace, kCommon};
    return CharClass{kPunct, kCommon};
}

void CGbkReading::AddStray() {
    Cost rarity = 0;
    const CharClass cls = ClassOfStrayGbkByte(rarity);
    m_reading.AddOther(cls, rarity);
}

void CGbkReading::AddByte(unsigned char b) {
    Cost rarity = 0;
    if (m_lead != 0) {
        const unsigned char lead = m_lead;
        m_lead = 0;
        if (b >= 0x40 && b != 0x7F && b != 0xFF) {
            const CharClass cls = ClassOfGbkPair(lead, b, rarity);
            m_reading.AddOther(cls, rarity);
            return;
        }
        // No trail byte can be this: the lead stands alone and the byte is read for itself.
        AddStray();
    }
    if (b < 0x80) {
        m_reading.AddAscii(b);
    } else if (b >= 0x81 && b <= 0xFE) {
        m_lead = b;
    } else {
        AddStray();
    }
}

void CGbkReading::Finish() {
    if (m_lead != 0) {
        AddStray();
        m_lead = 0;
    }
    m_reading.End();
}

Cost ChineseCost(char32_t cp, CharClass& cls) {
    if (cp >= 0x4E00 && cp <= 0x9FFF) {
        cls = CharClass{kLetter, kHan};
    } else {
        Cost unused = 0;
        cls = ClassOfCodePoint(cp, unused);
    }
    return Bits(HanCostBits(cp));
}

CChineseReading::CChineseReading(Encoding encoding) : m_encoding(encoding) {
    if (encoding == kGbk) {
        m_gbk = &gbk::Codec();
    } else {
        m_big5 = &big5::Codec();
    }
}

// A pair of hanzi among the common ones is about 4 times as likely in Chinese text as in text read in the
// wrong encoding, one that is not about half as likely (from the rates make_han_costs.py prints, rounded
// towards no effect).
constexpr Cost kKnownPair = -Bits(2);
constexpr Cost kUnknownPair = Bits(1);
constexpr Cost kKanaJoin = Bits(5);
constexpr Cost kSymbolJoin = Bits(3);

// Chinese text seldom glues kana, bopomofo or a symbol to a hanzi; text read in the wrong encoding often
// does.
Cost ChineseJoin(CharClass before, CharClass next) {
    const bool hanBefore = before.kind == kLetter && before.script == kHan;
    const bool hanNext = next.kind == kLetter && next.script == kHan;
    if (!hanBefore && !hanNext) return 0;
    const CharClass other = hanBefore ? next : before;
    if (other.kind == kLetter && (other.script == kKana || other.script == kBopomofo)) return kKanaJoin;
    if (other.kind == kSymbol) return kSymbolJoin;
    return 0;
}

void CChineseReading::AddStray() {
    ++m_strays;
    m_lastHan = 0;
    m_lastAdjacent = false;
    Cost rarity = 0;
    const CharClass cls = ClassOfStrayGbkByte(rarity);
    m_reading.AddOther(cls, rarity);
}

void CChineseReading::AddPair(unsigned char lead, unsigned char trail) {
    const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
    const char32_t cp = m_gbk != nullptr ? m_gbk->Decode(code) : m_big5->Decode(code);
    if (cp == gbk::kNoCharacter) {
        AddStray();  // a code the encoding leaves empty: two bytes that form nothing
        return AddStray();
    }
    ++m_pairs;
    m_variety |= std::uint64_t{1} << ((code * 0x9E37u) >> 10 & 63);
    CharClass cls;
    Cost cost = ChineseCost(cp, cls);
    const bool han = cp >= 0x4E00 && cp <= 0x9FFF;
    if (han && m_lastHan != 0) {
        const bool known = HanPairKnown(m_lastHan, cp);
        cost += known ? kKnownPair : kUnknownPair;
        ++m_hanPairs;
        m_knownHanPairs += known;
    }
    if (m_lastAdjacent) cost += ChineseJoin(m_last, cls);
    m_lastHan = han ? cp : 0;
    m_last = cls;
    m_lastAdjacent = true;
    m_reading.AddOther(cls, cost);
}

void CChineseReading::AddByte(unsigned char b) {
    if (m_lead != 0) {
        const unsigned char lead = m_lead;
        m_lead = 0;
        const bool trail = m_encoding == kGbk ? b >= 0x40 && b != 0x7F && b != 0xFF : big5::IsTrailByte(b);
        if (trail) return AddPair(lead, b);
        AddStray();  // the lead stands alone and the byte is read for itself
    }
    if (b < 0x80) {
        m_reading.AddAscii(b);
        m_lastHan = 0;
        m_lastAdjacent = false;
    } else if (b >= 0x81 && b <= 0xFE) {
        m_lead = b;
    } else {
        AddStray();  // 80 and FF: no character of Chinese text in either encoding
    }
}

void CChineseReading::Finish() {
    if (m_lead != 0) {
        AddStray();
        m_lead = 0;
    }
    m_reading.End();
}

}  // namespace detection
