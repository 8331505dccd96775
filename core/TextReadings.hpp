// TextReadings.hpp: what the same bytes cost read as UTF-8 and read as GBK, under one model of ordinary text,
// and read as GBK and as Big5 under a model of Chinese text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Big5Codec.hpp"
#include "GbkCodec.hpp"

namespace detection {

// Costs are in half bits: the cost of a text is minus the base-2 log of its likelihood, doubled.
using Cost = std::int64_t;

enum CharKind : std::uint8_t {
    kSpace,     // white space, and the edges of the text
    kLetter,    // letters, ideographs, syllables: what words are made of
    kCapital,   // capital letters: a word may start with them or be made of them, not go on with them
    kMark,      // combining marks, which belong to the letter before them
    kPunct,     // punctuation, which opens and closes words
    kSymbol,    // symbols, digits and fractions, which stand apart from words
    kUnusable,  // C1 controls, unassigned code points, bytes that are no character of the encoding
};

struct CharClass {
    CharKind kind;
    std::uint8_t script;  // a CharScript of CharClasses.inc
};

// The model: a character costs its own rarity (per character, from its range) plus a price for standing
// beside the character before it. Within a word letters of one script follow each other freely; a word of
// one script glued to a word of another, or a combining mark with no letter under it, is what text produced
// by reading bytes in the wrong encoding looks like, and is priced high. ASCII bytes read the same in both
// encodings, so only the places next to other characters are priced.
Cost JoinCost(CharClass before, CharClass next);

// The class and rarity of the code point cp (at least U+0080) read from UTF-8.
CharClass ClassOfCodePoint(char32_t cp, Cost& rarity);

// The class and rarity of a GBK two-byte character (lead 81 to FE, trail 40 to FE but 7F), or of a byte that
// forms none.
CharClass ClassOfGbkPair(unsigned char lead, unsigned char trail, Cost& rarity);
CharClass ClassOfStrayGbkByte(Cost& rarity);

CharClass ClassOfAscii(unsigned char b);

// One reading of a text: the running cost of its characters and of their joins.
class CReading {
  public:
    // A character that is not ASCII in this reading.
    void AddOther(CharClass cls, Cost rarity) {
        m_cost += rarity + JoinCost(m_last, cls);
        m_last = cls;
        m_lastAscii = false;
    }
    // An ASCII character: only its joins with the characters that are not ASCII are priced.
    void AddAscii(unsigned char b) {
        const CharClass cls = ClassOfAscii(b);
        if (!m_lastAscii) m_cost += JoinCost(m_last, cls);
        m_last = cls;
        m_lastAscii = true;
    }
    // The end of the text joins the last character as a space would.
    void End() {
        if (!m_lastAscii) m_cost += JoinCost(m_last, CharClass{kSpace, 0});
        m_lastAscii = true;
    }
    Cost Total() const { return m_cost; }

  private:
    Cost m_cost = 0;
    CharClass m_last{kSpace, 0};
    bool m_lastAscii = true;  // the start of the text reads as a space
};

// The text read as GBK, byte by byte: a lead byte waits for the byte after it.
class CGbkReading {
  public:
    void AddByte(unsigned char b);
    void Finish();  // a lead byte left at the end forms no character
    Cost Total() const { return m_reading.Total(); }

  private:
    void AddStray();

    CReading m_reading;
    unsigned char m_lead = 0;
};

// The text read as Chinese in GBK or in Big5, byte by byte, under the model of Chinese text: a character
// costs what the table of character frequencies says (HanCosts.hpp), joins cost as in the model above, two
// hanzi side by side cost less when they are a common pair and more when not, and a byte that forms no
// character of the encoding, or a code the encoding leaves empty, costs 24 bits.
class CChineseReading {
  public:
    enum Encoding : std::uint8_t { kGbk, kBig5 };
    explicit CChineseReading(Encoding encoding);
    void AddByte(unsigned char b);
    void Finish();  // a lead byte left at the end forms no character
    Cost Total() const { return m_reading.Total(); }
    // The characters of two bytes read so far, and the bytes outside ASCII that formed none.
    std::size_t Pairs() const { return m_pairs; }
    std::size_t Strays() const { return m_strays; }
    // Hanzi read side by side, and how many of those pairs are common ones (HanPairKnown).
    std::size_t HanPairs() const { return m_hanPairs; }
    std::size_t KnownHanPairs() const { return m_knownHanPairs; }
    // How many different characters of two bytes were read, roughly (up to 64): a text made of a few
    // characters over and over, however odd, is too little to go by.
    int Variety() const { return __builtin_popcountll(m_variety); }

  private:
    void AddStray();
    void AddPair(unsigned char lead, unsigned char trail);

    CReading m_reading;
    const gbk::CCodec* m_gbk = nullptr;  // the codec of the reading: one of the two
    const big5::CCodec* m_big5 = nullptr;
    Encoding m_encoding;
    unsigned char m_lead = 0;
    char32_t m_lastHan = 0;       // the character before, when it was a hanzi
    CharClass m_last{kSpace, 0};  // the character before, when m_lastAdjacent: no ASCII or stray between
    bool m_lastAdjacent = false;
    std::size_t m_hanPairs = 0;
    std::size_t m_knownHanPairs = 0;
    std::size_t m_pairs = 0;
    std::size_t m_strays = 0;
    std::uint64_t m_variety = 0;  // a bit per hash of each character read
};

// The cost of a character as Chinese text, and its class, for the readings above.
Cost ChineseCost(char32_t cp, CharClass& cls);

}  // namespace detection
