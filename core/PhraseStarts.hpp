// PhraseStarts.hpp: where in GBK text the phrases of one dictionary, or of several at once, may begin:
// filters answered with a load or two and no branch, so that most characters are passed over cheaply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ConversionIndex.hpp"

class CPhraseStarts {
  public:
    // Some phrase begins with this character code (CharCode: a two-byte character, or one byte).
    bool MayStart(CharCode code) const { return Bit(m_first, code); }
    // The code alone is a phrase.
    bool Alone(CharCode code) const { return m_anyAlone && Bit(m_alone, code); }

    // Whether a phrase may begin with the two-byte character at p, with at least four bytes of text from p: a
    // bit per hash of the four bytes there, set for the first two characters of every phrase, or (kAlone) the
    // first code alone is a phrase; without kAlone only where no code alone is one (AnyAlone).
    template <bool kAlone>
    bool MayBeginAtPair(const unsigned char* s, std::size_t p) const {
        std::uint32_t bytes;
        std::memcpy(&bytes, s + p, 4);
        const std::uint32_t bit = PairBit(bytes);
        if (!kAlone) return Bit(m_pairs, bit);
        const auto first = static_cast<CharCode>(s[p] << 8 | s[p + 1]);
        // Both loads, no branch.
        return (static_cast<unsigned>(Bit(m_pairs, bit)) | static_cast<unsigned>(Bit(m_alone, first))) != 0;
    }
    // Some phrase is a code alone.
    bool AnyAlone() const { return m_anyAlone; }

    // Some phrase begins with a one-byte character, one from OneByteLow() to OneByteHigh().
    bool OneBytePhrases() const { return m_oneByte; }
    unsigned char OneByteLow() const { return m_low; }
    unsigned char OneByteHigh() const { return m_high; }
    // Whether a phrase may begin with the one-byte character at p, with a byte of text after it: a bit per
    // pair of bytes there, the character and the first byte of the phrase's next one (any, for a phrase of
    // that character alone).
    bool MayBeginAtSingle(const unsigned char* s, std::size_t p) const {
        return Bit(m_single, static_cast<CharCode>(s[p] << 8 | s[p + 1]));
    }

    // Building, for a dictionary: its first codes, then (once their number is known) its first pairs.
    void AddFirst(CharCode code, bool alone);
    void SizePairs(std::size_t pairs);
    void AddPair(CharCode first, CharCode second);

    // The starts of several dictionaries in one: a place passes when it passes for one of them.
    static CPhraseStarts Union(const std::vector<const CPhraseStarts*>& parts);

    std::size_t MemoryBytes() const;

  private:
    // 32 bits or more per first pair, so that few of a text's pairs pass by chance; 128 KB at most, and 8 KB
    // at least, so that a small dictionary's filter keeps its few false answers in the union of a larger
    // one's.
    static constexpr int kMaxPairBits = 20;
    static constexpr int kLeastPairBits = 16;

    static bool Bit(const std::vector<std::uint64_t>& bits, std::uint32_t at) {
        return (bits[at >> 6] >> (at & 63)) & 1;
    }
    static void Set(std::vector<std::uint64_t>& bits, std::uint32_t at) {
        bits[at >> 6] |= std::uint64_t{1} << (at & 63);
    }
    std::uint32_t PairBit(std::uint32_t fourBytes) const {
        return (fourBytes * 0x9E3779B1u) >> (32 - m_pairBits);
    }

    std::vector<std::uint64_t> m_first = std::vector<std::uint64_t>(1024);
    std::vector<std::uint64_t> m_alone = std::vector<std::uint64_t>(1024);
    bool m_anyAlone = false;
    int m_pairBits = 6;
    std::vector<std::uint64_t> m_pairs = std::vector<std::uint64_t>(1);
    bool m_oneByte = false;
    unsigned char m_low = 0xFF;
    unsigned char m_high = 0;
    std::vector<std::uint64_t> m_single = std::vector<std::uint64_t>(1024);
};
