// PhraseScan.hpp: the places of GBK text where phrases may begin, found 64 bytes at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CharStarts.hpp"
#include "PhraseIndex.hpp"

namespace phrasescan {

// Calls ask(p) at every character boundary p of s[0, n), from the left, where a phrase may begin by `starts`
// (a dictionary's, or several dictionaries' at once); ask returns where the phrase it took there ends, the
// scan going on from there, or 0 when it took none. Most characters begin no phrase: those are passed over 64
// bytes at a time, the filters sifting a window's characters before any is asked, which keeps their
// unpredictable answers out of the branches.
template <bool kAlone, class Ask>
void ForEachPossibleStart(const unsigned char* s, std::size_t n, const CPhraseStarts& starts, Ask&& ask) {
    const bool singles = starts.OneBytePhrases();
    std::size_t i = 0;  // each window begins on a character
    // 67 bytes: a pair that begins on the window's last byte ends in the next one, and the filter reads four
    // bytes from each.
    while (i + 67 <= n) {
        const std::uint64_t lead = gbk::LeadMask(s + i);
        const std::uint64_t pairs = gbk::PairStarts(lead);
        std::size_t next = i + 64 + static_cast<std::size_t>(pairs >> 63);
        std::uint64_t bits = 0;
        for (std::uint64_t sift = pairs; sift != 0; sift &= sift - 1) {
            const auto k = static_cast<unsigned>(__builtin_ctzll(sift));
            bits |= static_cast<std::uint64_t>(starts.MayBeginAtPair<kAlone>(s, i + k)) << k;
        }
        if (singles) {
            const std::uint64_t ones =
                ~lead & ~(pairs << 1) & gbk::RangeMask(s + i, starts.OneByteLow(), starts.OneByteHigh());
            for (std::uint64_t sift = ones; sift != 0; sift &= sift - 1) {
                const auto k = static_cast<unsigned>(__builtin_ctzll(sift));
                bits |= static_cast<std::uint64_t>(starts.MayBeginAtSingle(s, i + k)) << k;
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
        if (!starts.MayStart(code)) continue;
        if (const std::size_t end = ask(i)) width = end - i;
    }
}

// The scan above, without the look-up of codes alone where no phrase is one: most dictionaries of phrases.
template <class Ask>
void ForEachPossibleStart(const unsigned char* s, std::size_t n, const CPhraseStarts& starts, Ask&& ask) {
    if (starts.AnyAlone()) return ForEachPossibleStart<true>(s, n, starts, ask);
    ForEachPossibleStart<false>(s, n, starts, ask);
}

}  // namespace phrasescan
