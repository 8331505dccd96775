// CharStarts.hpp: where the characters in 64 bytes of GBK (or the three-byte ones of UTF-8) begin, as bit
// masks, branch-free.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gbk {

// Bit j set when byte j of the 64 at p is a lead byte (0x81 to 0xFE), eight bytes at a time in plain
// integers.
inline std::uint64_t LeadMaskPortable(const unsigned char* p) {
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    std::uint64_t mask = 0;
    for (int word = 0; word < 8; ++word) {
        std::uint64_t x;
        std::memcpy(&x, p + 8 * word, 8);
        const std::uint64_t low = x & ~kHigh;
        // High bit set, low seven bits neither 0 (0x80) nor all ones (0xFF); no sum carries across bytes.
        const std::uint64_t lead = x & (low + 0x7F7F7F7F7F7F7F7Fu) & ~(low + 0x0101010101010101u) & kHigh;
        // The multiplication gathers the eight high bits into the top byte, byte j's bit at bit 56 + j.
        mask |= (((lead >> 7) * 0x0102040810204080u) >> 56) << (8 * word);
    }
    return mask;
}

// Bit j set when byte j of the 64 at p begins a three-byte UTF-8 sequence (0xE0 to 0xEF), in plain integers.
inline std::uint64_t ThreeByteLeadMaskPortable(const unsigned char* p) {
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    std::uint64_t mask = 0;
    for (int word = 0; word < 8; ++word) {
        std::uint64_t x;
        std::memcpy(&x, p + 8 * word, 8);
        const std::uint64_t t =
            (x & 0xF0F0F0F0F0F0F0F0u) ^ 0xE0E0E0E0E0E0E0E0u;  // zero where the nibble is E
        const std::uint64_t zero = ~(((t & ~kHigh) + ~kHigh) | t) & kHigh;
        mask |= (((zero >> 7) * 0x0102040810204080u) >> 56) << (8 * word);
    }
    return mask;
}

#if defined(__SSE2__)
inline std::uint64_t ThreeByteLeadMask(const unsigned char* p) {
    const __m128i high = _mm_set1_epi8(static_cast<char>(0xF0));
    const __m128i lead = _mm_set1_epi8(static_cast<char>(0xE0));
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const __m128i is = _mm_cmpeq_epi8(_mm_and_si128(bytes, high), lead);
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(is))) << (16 * part);
    }
    return mask;
}
#else
inline std::uint64_t ThreeByteLeadMask(const unsigned char* p) { return ThreeByteLeadMaskPortable(p); }
#endif

#if defined(__SSE2__)
inline std::uint64_t LeadMask(const unsigned char* p) {
    // Shifted by 0x80, lead bytes are the signed values 1 to 126.
    const __m128i shift = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_set1_epi8(127);
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const __m128i x = _mm_xor_si128(bytes, shift);
        const __m128i lead = _mm_and_si128(_mm_cmpgt_epi8(x, zero), _mm_cmplt_epi8(x, top));
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(lead))) << (16 * part);
    }
    return mask;
}
#else
inline std::uint64_t LeadMask(const unsigned char* p) { return LeadMaskPortable(p); }
#endif

// Bit j set when byte j of the 64 at p is 0x80 or above.
inline std::uint64_t HighMask(const unsigned char* p) {
#if defined(__SSE2__)
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(bytes))) << (16 * part);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int k = 0; k < 64; ++k) mask |= static_cast<std::uint64_t>(p[k] >> 7) << k;
    return mask;
#endif
}

// Bit j set when byte j of the 64 at p lies from low to high (low <= high).
inline std::uint64_t RangeMask(const unsigned char* p, unsigned char low, unsigned char high) {
#if defined(__SSE2__)
    // Taken from low, the bytes in range are those at most high - low, unsigned.
    const __m128i from = _mm_set1_epi8(static_cast<char>(low));
    const __m128i span = _mm_set1_epi8(static_cast<char>(high - low));
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const __m128i offset = _mm_sub_epi8(bytes, from);
        const __m128i in = _mm_cmpeq_epi8(_mm_max_epu8(offset, span), span);
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(in))) << (16 * part);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int k = 0; k < 64; ++k) mask |= static_cast<std::uint64_t>(p[k] >= low && p[k] <= high) << k;
    return mask;
#endif
}

// Bit j set when byte j begins a two-byte character, given the lead mask and that byte 0 begins a character.
// A byte that is no lead byte always ends a character, so within each run of lead bytes the characters begin
// at even distances from the run's first byte. Adding a run's first bit to the mask carries through the whole
// run and clears it: that picks out the runs beginning at even positions, and likewise those at odd ones.
inline std::uint64_t PairStarts(std::uint64_t lead) {
    constexpr std::uint64_t kEven = 0x5555555555555555u;
    const std::uint64_t runBegins = lead & ~(lead << 1);
    const std::uint64_t evenRuns = lead & ~(lead + (runBegins & kEven));
    const std::uint64_t oddRuns = lead & ~(lead + (runBegins & ~kEven));
    return (evenRuns & kEven) | (oddRuns & ~kEven);
}

}  // namespace gbk
