// PhraseStarts.cpp: building the filters of where phrases may begin.
#include "PhraseStarts.hpp"

#include <algorithm>

void CPhraseStarts::AddFirst(CharCode code, bool alone) {
    Set(m_first, code);
    if (alone) {
        Set(m_alone, code);
        m_anyAlone = true;
    }
    if (code >= 0x100) return;
    m_oneByte = true;
    m_low = std::min(m_low, static_cast<unsigned char>(code));
    m_high = std::max(m_high, static_cast<unsigned char>(code));
    if (alone) {
        for (unsigned after = 0; after < 256; ++after) Set(m_single, code << 8 | after);
    }
}

void CPhraseStarts::SizePairs(std::size_t pairs) {
    int bits = 4;
    while ((std::size_t{1} << bits) < 2 * pairs) ++bits;
    m_pairBits = std::clamp(bits + 4, kLeastPairBits, kMaxPairBits);
    m_pairs.assign(std::size_t{1} << (m_pairBits - 6), 0);
}

// A phrase beginning with a one-byte character goes by its first two bytes; one beginning with a two-byte
// character by the four bytes a text holds where its first two characters stand, a one-byte second character
// being followed by any byte.
void CPhraseStarts::AddPair(CharCode first, CharCode second) {
    const bool pair = second >= 0x100;
    if (first < 0x100) {
        Set(m_single, first << 8 | (pair ? second >> 8 : second));
        return;
    }
    for (unsigned after = 0; after < (pair ? 1u : 256u); ++after) {
        const unsigned char bytes[4] = {static_cast<unsigned char>(first >> 8),
                                        static_cast<unsigned char>(first),
                                        static_cast<unsigned char>(pair ? second >> 8 : second),
                                        static_cast<unsigned char>(pair ? second : after)};
        std::uint32_t key;
        std::memcpy(&key, bytes, 4);
        Set(m_pairs, PairBit(key));
    }
}

CPhraseStarts CPhraseStarts::Union(const std::vector<const CPhraseStarts*>& parts) {
    CPhraseStarts united;
    for (const CPhraseStarts* part : parts) united.m_pairBits = std::max(united.m_pairBits, part->m_pairBits);
    united.m_pairs.assign(std::size_t{1} << (united.m_pairBits - 6), 0);
    const auto orInto = [](std::vector<std::uint64_t>& into, const std::vector<std::uint64_t>& from) {
        for (std::size_t k = 0; k < into.size(); ++k) into[k] |= from[k];
    };
    for (const CPhraseStarts* part : parts) {
        orInto(united.m_first, part->m_first);
        orInto(united.m_alone, part->m_alone);
        orInto(united.m_single, part->m_single);
        united.m_anyAlone |= part->m_anyAlone;
        if (part->m_oneByte) {
            united.m_oneByte = true;
            united.m_low = std::min(united.m_low, part->m_low);
            united.m_high = std::max(united.m_high, part->m_high);
        }
        // The hash's top bits: a bit of a smaller filter stands for a run of the larger one's.
        const int shift = united.m_pairBits - part->m_pairBits;
        if (shift == 0) {
            orInto(united.m_pairs, part->m_pairs);
            continue;
        }
        for (std::size_t word = 0; word < part->m_pairs.size(); ++word) {
            for (std::uint64_t bits = part->m_pairs[word]; bits != 0; bits &= bits - 1) {
                const auto bit = static_cast<std::uint32_t>(word * 64 + __builtin_ctzll(bits));
                for (std::uint32_t k = bit << shift; k < (bit + 1) << shift; ++k) Set(united.m_pairs, k);
            }
        }
    }
    return united;
}

std::size_t CPhraseStarts::MemoryBytes() const {
    return (m_first.capacity() + m_alone.capacity() + m_pairs.capacity() + m_single.capacity()) *
           sizeof(std::uint64_t);
}
