// Big5Codec.hpp: Big5 (code page 950 as Windows has it) to Unicode and back, one character at a time.
// Portable.
#pragma once

#include <cstdint>
#include <vector>

namespace big5 {

constexpr int kLeadCount = 0xFE - 0x81 + 1;
// Generated table (Big5CodecTable.cpp): the characters of each lead byte's row, in UTF-8, U+FFFF for a code
// that is empty.
extern const char* const kTwoByteRows[kLeadCount];

struct Preferred {
    char32_t cp;
    std::uint16_t code;
};
constexpr int kPreferredCount = 6;
// Characters with two codes that the system writes with the higher one (Big5CodecTable.cpp).
extern const Preferred kPreferred[kPreferredCount];

// The code point of nothing: U+FFFF is a noncharacter, and no Big5 code maps to it.
constexpr char32_t kNoCharacter = 0xFFFF;
// The Big5 code of nothing: a trail byte is never 0xFF.
constexpr std::uint16_t kNoCode = 0xFFFF;

// A byte that starts a two-byte code: 81 to FE. The byte after it is a trail byte when it is 40 to 7E or A1
// to FE; 40 to 7E are ASCII letters and punctuation (0x5C, the backslash, among them: 許 is B3 5C).
constexpr bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE); }

// Both directions, built once on first use (256 KB).
class CCodec {
  public:
    // The character of a Big5 code: lead * 256 + trail for two bytes, the byte itself for one. kNoCharacter
    // for a lone lead byte, 0xFF and codes that are not Big5. Decode(0xA4A4) is U+4E2D (中), Decode(0xA3E1)
    // U+20AC (€), Decode(0x80) U+0080, as the system has it.
    char32_t Decode(std::uint16_t code) const { return m_toUnicode[code]; }
    // The Big5 code of a character, or kNoCode when Big5 cannot hold it (most Simplified hanzi, kana,
    // Hangul).
    std::uint16_t Encode(char32_t cp) const { return cp < 0x10000 ? m_fromUnicode[cp] : kNoCode; }
    bool Holds(char32_t cp) const { return Encode(cp) != kNoCode; }

  private:
    friend const CCodec& Codec();
    CCodec();
    std::vector<char16_t> m_toUnicode;
    std::vector<std::uint16_t> m_fromUnicode;
};

const CCodec& Codec();

}  // namespace big5
