// PhraseScan.hpp: the places of GBK text where phrases may begin, found 64 bytes at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CharStarts.hpp"
#include "PhraseIndex.hpp"

namespace phrasescan {

// Calls ask(p) at every character boundary p of s[0, n), from the left, where a phrase of one of the
// dictionaries may begin; ask returns where the phrase it took there ends, the scan going on from there, or
// 0 when it took none. Most characters begin no phrase: those are passed over 64 bytes at a time, the filters
// sifting a window's characters before any is asked, which keeps their unpredictable answers out of the
// branches.
template <class Ask>
void ForEachPossibleStart(const unsigned char* s, std::size_t n,
                          const PhraseDirectionIndex* const* dictionaries, std::size_t count, Ask&& ask) {
    bool singles = false;  // some phrase begins with a one-byte character, from low to high
    unsigned char low = 0xFF;
    unsigned char high = 0;
    for (std::size_t d = 0; d < count; ++d) {
        if (!dictionaries[d]->OneBytePhrases()) continue;
        singles = true;
        low = dictionaries[d]->OneByteLow() < low ? dictionaries[d]->OneByteLow() : low;
        high = dictionaries[d]->OneByteHigh() > high ? dictionaries[d]->OneByteHigh() : high;
    }
    std::size_t i = 0;  // each window begins on a character
    // 67 bytes: a pair that begins on the window's last byte ends in the next one, and the filter reads four
    // bytes from each.
    while (i + 67 <= n) {
        const std::uint64_t lead = gbk::LeadMask(s + i);
        const std::uint64_t starts = gbk::PairStarts(lead);
        std::size_t next = i + 64 + static_cast<std::size_t>(starts >> 63);
        std::uint64_t bits = 0;
        for (std::uint64_t sift = starts; sift != 0; sift &= sift - 1) {
            const auto k = static_cast<unsigned>(__builtin_ctzll(sift));
            bool may = false;
            for (std::size_t d = 0; d < count; ++d) may |= dictionaries[d]->MayBeginAtPair(s, i + k);
            bits |= static_cast<std::uint64_t>(may) << k;
        }
        if (singles) {
            const std::uint64_t ones = ~lead & ~(starts << 1) & gbk::RangeMask(s + i, low, high);
            for (std::uint64_t sift = ones; sift != 0; sift &= sift - 1) {
                const auto k = static_cast<unsigned>(__builtin_ctzll(sift));
                bool may = false;
                for (std::size_t d = 0; d < count; ++d) {
                    may |= dictionaries[d]->OneBytePhrases() && dictionaries[d]->MayBeginAtSingle(s, i + k);
                }
                bits |= static_cast<std::uint64_t>(may) << k;
            }
        }
        while (bits != 0) {
            const std::size_t end = ask(i + static_cast<std::size_t>(__builtin_ctzll(bits)));
            bits &= bits - 1;
            if (end == 0) continue;
            if (end >= i + 64) {
                next = end;
                break;
            }
            bits &= ~std::uint64_t{0} << (end - i);  // the scan goes on after the phrase
        }
        i = next;
    }
    for (std::size_t width; i < n; i += width) {
        const CharCode code = PhraseDirectionIndex::CodeAt(s, n, i, width);
        bool may = false;
        for (std::size_t d = 0; d < count; ++d) may |= dictionaries[d]->MayStart(code);
        if (!may) continue;
        if (const std::size_t end = ask(i)) width = end - i;
    }
}

}  // namespace phrasescan
