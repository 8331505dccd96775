// Big5Codec.cpp: the two look-up tables of the Big5 codec, made from the generated rows.
#include "Big5Codec.hpp"

#include "Utf8.hpp"

namespace big5 {

CCodec::CCodec() : m_toUnicode(0x10000, kNoCharacter), m_fromUnicode(0x10000, kNoCode) {
    for (unsigned byte = 0; byte <= 0x80; ++byte) m_toUnicode[byte] = static_cast<char16_t>(byte);
    for (int row = 0; row < kLeadCount; ++row) {
        const auto* p = reinterpret_cast<const unsigned char*>(kTwoByteRows[row]);
        unsigned trail = 0x40;
        for (std::size_t i = 0; p[i] != 0; ++trail) {
            if (trail == 0x7F) trail = 0xA1;
            char32_t cp = 0;
            i += static_cast<std::size_t>(utf8::DecodeOne(p + i, 4, cp));
            m_toUnicode[(0x81 + row) << 8 | trail] = static_cast<char16_t>(cp);
        }
    }
    // Filled backwards so that a character with two codes gets the lower one, as the system writes it but for
    // the few it prefers the other code of.
    for (std::size_t code = m_toUnicode.size(); code-- > 0;) {
        if (m_toUnicode[code] != kNoCharacter)
            m_fromUnicode[m_toUnicode[code]] = static_cast<std::uint16_t>(code);
    }
    for (const Preferred& preferred : kPreferred) m_fromUnicode[preferred.cp] = preferred.code;
}

const CCodec& Codec() {
    static const CCodec codec;
    return codec;
}

}  // namespace big5
