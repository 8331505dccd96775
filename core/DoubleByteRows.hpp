// DoubleByteRows.hpp: the two look-up tables of a double-byte code page, made from its generated rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Utf8.hpp"

namespace codepage {

// rows[k] holds, in UTF-8, the characters of lead byte 0x81 + k for the trail bytes from 0x40 on, skipping
// from 0x7F to `resume` (0x80 in GBK, 0xA1 in Big5). fromUnicode is filled backwards so that a character with
// two codes gets the lower one; `none` marks what is empty in both tables.
inline void FillFromRows(const char* const* rows, int leadCount, unsigned resume,
                         std::vector<char16_t>& toUnicode, std::vector<std::uint16_t>& fromUnicode,
                         std::uint16_t none) {
    for (int row = 0; row < leadCount; ++row) {
        const auto* p = reinterpret_cast<const unsigned char*>(rows[row]);
        unsigned trail = 0x40;
        for (std::size_t i = 0; p[i] != 0; ++trail) {
            if (trail == 0x7F) trail = resume;
            char32_t cp = 0;
            i += static_cast<std::size_t>(utf8::DecodeOne(p + i, 4, cp));
            toUnicode[(0x81 + row) << 8 | trail] = static_cast<char16_t>(cp);
        }
    }
    for (std::size_t code = toUnicode.size(); code-- > 0;) {
        if (toUnicode[code] != none) fromUnicode[toUnicode[code]] = static_cast<std::uint16_t>(code);
    }
}

}  // namespace codepage
