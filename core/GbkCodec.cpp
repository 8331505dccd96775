// GbkCodec.cpp: the two look-up tables of the GBK codec, made from the generated rows.
#include "GbkCodec.hpp"

#include "Utf8.hpp"

namespace gbk {

CCodec::CCodec() : m_toUnicode(0x10000, kNoCharacter), m_fromUnicode(0x10000, kNoCode) {
    for (unsigned byte = 0; byte < 0x80; ++byte) m_toUnicode[byte] = static_cast<char16_t>(byte);
    m_toUnicode[0x80] = 0x20AC;
    for (int row = 0; row < kLeadCount; ++row) {
        const auto* p = reinterpret_cast<const unsigned char*>(kTwoByteRows[row]);
        unsigned trail = 0x40;
        for (std::size_t i = 0; p[i] != 0; ++trail) {
            if (trail == 0x7F) ++trail;
            char32_t cp = 0;
            i += static_cast<std::size_t>(utf8::DecodeOne(p + i, 4, cp));
            m_toUnicode[(0x81 + row) << 8 | trail] = static_cast<char16_t>(cp);
        }
    }
    // Filled backwards so that a character with two codes gets the lower one; GBK has none, but the rule is
    // then the same as the table search's "first occurrence counts".
    for (std::size_t code = m_toUnicode.size(); code-- > 0;) {
        if (m_toUnicode[code] != kNoCharacter)
            m_fromUnicode[m_toUnicode[code]] = static_cast<std::uint16_t>(code);
    }
}

const CCodec& Codec() {
    static const CCodec codec;
    return codec;
}

std::string Utf8Of(const std::string& gbkText) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(gbkText.data());
    for (std::size_t i = 0; i < gbkText.size();) {
        const bool pair = p[i] >= 0x81 && p[i] <= 0xFE && i + 1 < gbkText.size();
        const char32_t cp = Codec().Decode(static_cast<std::uint16_t>(pair ? p[i] << 8 | p[i + 1] : p[i]));
        utf8::Append(out, cp == kNoCharacter ? U'\uFFFD' : cp);
        i += pair ? 2 : 1;
    }
    return out;
}

}  // namespace gbk
