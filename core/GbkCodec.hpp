// GbkCodec.hpp: GBK (code page 936 as Windows has it) to Unicode and back, one character at a time. Portable.
#pragma once

#include <cstdint>
#include <vector>

namespace gbk {

constexpr int kLeadCount = 0xFE - 0x81 + 1;
// Generated table (GbkCodecTable.cpp): the characters of each lead byte's row, in UTF-8.
extern const char* const kTwoByteRows[kLeadCount];

// The code point of nothing: U+FFFF is a noncharacter, and no GBK code maps to it.
constexpr char32_t kNoCharacter = 0xFFFF;
// The GBK code of nothing: a trail byte is never 0xFF.
constexpr std::uint16_t kNoCode = 0xFFFF;

// Both directions, built once on first use (256 KB).
class CCodec {
  public:
    // The character of a GBK code: lead * 256 + trail for two bytes, the byte itself for one. kNoCharacter
    // for a lone lead byte, 0xFF and codes that are not GBK. Decode(0xD6D0) is U+4E2D (中), Decode(0x80)
    // U+20AC (€).
    char32_t Decode(std::uint16_t code) const { return m_toUnicode[code]; }
    // The GBK code of a character, or kNoCode when GBK cannot hold it (emoji, Hangul, most of CJK Extension
    // B).
    std::uint16_t Encode(char32_t cp) const { return cp < 0x10000 ? m_fromUnicode[cp] : kNoCode; }
    bool Holds(char32_t cp) const { return Encode(cp) != kNoCode; }

  private:
    friend const CCodec& Codec();
    CCodec();
    std::vector<char16_t> m_toUnicode;
    std::vector<std::uint16_t> m_fromUnicode;
};

const CCodec& Codec();

}  // namespace gbk
