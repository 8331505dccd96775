// GbkCodec.hpp: GBK (code page 936 as Windows has it) to Unicode and back, one character at a time. Portable.
#pragma once

#include <cstdint>
#include <string>
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

  private:
    friend const CCodec& Codec();
    CCodec();
    std::vector<char16_t> m_toUnicode;
    std::vector<std::uint16_t> m_fromUnicode;
};

const CCodec& Codec();

// Calls take(cp) for every character of a GBK text; false, having stopped, at the first byte sequence that is
// no character (a lone lead byte, or a code GBK leaves empty).
template <class Take>
bool DecodeEach(const std::string& gbkText, Take&& take) {
    const CCodec& codec = Codec();
    const auto* p = reinterpret_cast<const unsigned char*>(gbkText.data());
    const std::size_t n = gbkText.size();
    for (std::size_t i = 0; i < n;) {
        const bool pair = p[i] >= 0x81 && p[i] <= 0xFE && i + 1 < n;
        const char32_t cp = codec.Decode(static_cast<std::uint16_t>(pair ? p[i] << 8 | p[i + 1] : p[i]));
        if (cp == kNoCharacter) return false;
        take(cp);
        i += pair ? 2 : 1;
    }
    return true;
}

// The UTF-8 form of a GBK text, with U+FFFD for each byte sequence that is no character: for messages.
std::string Utf8Of(const std::string& gbkText);

}  // namespace gbk
