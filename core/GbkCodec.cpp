// GbkCodec.cpp: the two look-up tables of the GBK codec, made from the generated rows.
#include "GbkCodec.hpp"

#include "DoubleByteRows.hpp"
#include "Utf8.hpp"

namespace gbk {

CCodec::CCodec() : m_toUnicode(0x10000, kNoCharacter), m_fromUnicode(0x10000, kNoCode) {
    for (unsigned byte = 0; byte < 0x80; ++byte) m_toUnicode[byte] = static_cast<char16_t>(byte);
    m_toUnicode[0x80] = 0x20AC;
    // GBK has no character with two codes, so the lower-code rule is the table search's "first occurrence
    // counts".
    codepage::FillFromRows(kTwoByteRows, kLeadCount, 0x80, m_toUnicode, m_fromUnicode, kNoCharacter);
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
