// Big5Codec.cpp: the two look-up tables of the Big5 codec, made from the generated rows.
#include "Big5Codec.hpp"

#include "DoubleByteRows.hpp"

namespace big5 {

CCodec::CCodec() : m_toUnicode(0x10000, kNoCharacter), m_fromUnicode(0x10000, kNoCode) {
    for (unsigned byte = 0; byte <= 0x80; ++byte) m_toUnicode[byte] = static_cast<char16_t>(byte);
    // A character with two codes gets the lower one, as the system writes it but for the few it prefers the
    // other code of.
    codepage::FillFromRows(kTwoByteRows, kLeadCount, 0xA1, m_toUnicode, m_fromUnicode, kNoCharacter);
    for (const Preferred& preferred : kPreferred) m_fromUnicode[preferred.cp] = preferred.code;
}

const CCodec& Codec() {
    static const CCodec codec;
    return codec;
}

}  // namespace big5
