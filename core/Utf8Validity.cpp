// Utf8Validity.cpp: strict UTF-8 validation: 64 bytes at a time from the bits of each byte, one sequence at a
// time where a block holds a byte that needs a closer look.
#include "Utf8Validity.hpp"

#include <cstddef>
#include <cstdint>

#include "Utf8.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace utf8 {
namespace {

// Both bytes in 80 to BF.
bool AreContinuations(unsigned char b1, unsigned char b2) { return ((b1 ^ 0x80) | (b2 ^ 0x80)) < 0x40; }

// Sequences that start before limit, one at a time; they may reach up to end. Returns where it stopped: at or
// after limit on a character boundary, or before limit at a sequence that is invalid or cut by end.
const unsigned char* SkipSequences(const unsigned char* p, const unsigned char* limit,
                                   const unsigned char* end) {
    while (p < limit) {
        const unsigned char b0 = *p;
        if (b0 < 0x80) {
            ++p;
            continue;
        }
        if (end - p < 4) {
            char32_t cp;
            const int length = DecodeOne(p, static_cast<std::size_t>(end - p), cp);
            if (length <= 0) return p;
            p += length;
            continue;
        }
        const unsigned char b1 = p[1];
        if ((b0 & 0xF0) == 0xE0) {
            if (!AreContinuations(b1, p[2])) return p;
            // E0 would be overlong below A0, ED a surrogate from A0.
            if ((b0 == 0xE0 && b1 < 0xA0) || (b0 == 0xED && b1 > 0x9F)) return p;
            p += 3;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            if ((b1 & 0xC0) != 0x80) return p;
            p += 2;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            const unsigned char low = b0 == 0xF0 ? 0x90 : 0x80;
            const unsigned char high = b0 == 0xF4 ? 0x8F : 0xBF;
            if (b1 < low || b1 > high || !AreContinuations(p[2], p[3])) return p;
            p += 4;
        } else {
            return p;
        }
    }
    return p;
}

#if defined(__SSE2__)

// Bits 7 to 4 of each of 64 bytes as masks (bit j for byte j), and the bytes that the masks cannot judge:
// C0 and C1 (always overlong), E0, ED, F0 and F4 (their second byte has a narrower range), F5 to FF.
struct BlockBits {
    std::uint64_t b7 = 0, b6 = 0, b5 = 0, b4 = 0, special = 0;
};

BlockBits ReadBlock(const unsigned char* p) {
    BlockBits bits;
    const __m128i c0 = _mm_set1_epi8(static_cast<char>(0xC0));
    const __m128i c1 = _mm_set1_epi8(static_cast<char>(0xC1));
    const __m128i e0 = _mm_set1_epi8(static_cast<char>(0xE0));
    const __m128i ed = _mm_set1_epi8(static_cast<char>(0xED));
    const __m128i f0 = _mm_set1_epi8(static_cast<char>(0xF0));
    const __m128i f3 = _mm_set1_epi8(static_cast<char>(0xF3 ^ 0x80));
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    for (int part = 0; part < 4; ++part) {
        const __m128i x7 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const __m128i x6 = _mm_add_epi8(x7, x7);  // each byte shifted left by one
        const __m128i x5 = _mm_add_epi8(x6, x6);
        const __m128i x4 = _mm_add_epi8(x5, x5);
        const int shift = 16 * part;
        bits.b7 |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(x7))) << shift;
        bits.b6 |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(x6))) << shift;
        bits.b5 |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(x5))) << shift;
        bits.b4 |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(x4))) << shift;
        __m128i special = _mm_or_si128(_mm_cmpeq_epi8(x7, c0), _mm_cmpeq_epi8(x7, c1));
        special = _mm_or_si128(special, _mm_or_si128(_mm_cmpeq_epi8(x7, e0), _mm_cmpeq_epi8(x7, ed)));
        special = _mm_or_si128(special, _mm_cmpeq_epi8(x7, f0));
        special = _mm_or_si128(special, _mm_cmpgt_epi8(_mm_xor_si128(x7, flip), f3));  // F4 and above
        bits.special |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(special)))
                        << shift;
    }
    return bits;
}

// How many bytes of the 64 at p, which starts on a character boundary, are whole valid sequences: 64, or less
// when the last sequence goes on past the block; 0 when the block needs SkipSequences.
int ValidBlockLength(const unsigned char* p) {
    const BlockBits bits = ReadBlock(p);
    if (bits.b7 == 0) return 64;
    if (bits.special != 0) return 0;
    const std::uint64_t continuation = bits.b7 & ~bits.b6;
    const std::uint64_t lead = bits.b7 & bits.b6;
    const std::uint64_t longer = lead & bits.b5;  // three or four bytes
    const std::uint64_t four = longer & bits.b4;
    // Every lead byte is followed by exactly its continuation bytes, and nothing else is a continuation byte.
    if (continuation != ((lead << 1) | (longer << 2) | (four << 3))) return 0;
    const std::uint64_t unfinished = (lead >> 63 << 63) | (longer >> 62 << 62) | (four >> 61 << 61);
    return unfinished == 0 ? 64 : __builtin_ctzll(unfinished);
}

#endif

}  // namespace

const unsigned char* SkipValid(const unsigned char* p, const unsigned char* end) {
#if defined(__SSE2__)
    while (end - p >= 64) {
        const int length = ValidBlockLength(p);
        if (length > 0) {
            p += length;
            continue;
        }
        const unsigned char* limit = p + 64;
        p = SkipSequences(p, limit, end);
        if (p < limit) return p;
    }
#endif
    return SkipSequences(p, end, end);
}

}  // namespace utf8
