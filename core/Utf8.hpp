// Utf8.hpp: strict UTF-8, one code point at a time.
#pragma once

#include <cstddef>
#include <string>

namespace utf8 {

// What DecodeOne found at the start of the bytes it was given.
enum : int {
    kInvalid = 0,     // not the start of a well-formed sequence
    kTruncated = -1,  // a well-formed start that the bytes end in the middle of
};

// Decodes the code point at p[0, n), n > 0. Returns its length (1 to 4) and sets cp, or kInvalid, or
// kTruncated. Strict: no overlong forms, no surrogates (U+D800 to U+DFFF), nothing above U+10FFFF. "中" is E4
// B8 AD: 3, U+4E2D; C0 80 (an overlong NUL) and ED A0 80 (a surrogate) are kInvalid; E4 B8 alone is
// kTruncated.
inline int DecodeOne(const unsigned char* p, std::size_t n, char32_t& cp) {
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    int length;
    char32_t value;
    unsigned char low =
        0x80;  // the second byte's range, narrowed where it rules out overlongs and surrogates
    unsigned char high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        value = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        value = b0 & 0x0F;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        value = b0 & 0x07;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        return kInvalid;
    }
    for (int k = 1; k < length; ++k) {
        if (static_cast<std::size_t>(k) >= n) return kTruncated;
        const unsigned char b = p[k];
        if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return kInvalid;
        value = value << 6 | (b & 0x3F);
    }
    cp = value;
    return length;
}

// Appends the UTF-8 form of cp (a scalar value: not a surrogate, at most U+10FFFF).
inline void Append(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace utf8
