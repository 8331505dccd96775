// TextStretches.hpp: text in any encoding read as the stretches of characters GBK holds, and as lines.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Gbk.hpp"
#include "GbkCodec.hpp"
#include "TextEncoding.hpp"
#include "Transcode.hpp"

namespace text {

// Calls take(offset, size, code) for every character of data[0, size) in `encoding`, in order: its place in
// the bytes and its GBK code (lead * 256 + trail, or the byte), or gbk::kNoCode for a character GBK cannot
// hold and for a byte or unit that does not decode, which comes alone. In GBK every byte belongs to a
// character (a lone lead byte at the end is one, coded as its byte); in Big5 a lead byte is a character with
// the byte after it only when that is a trail byte, and comes alone otherwise; a UTF-16 surrogate pair is one
// character; a UTF-16 text of odd size ends in a byte that takes no call.
template <class Take>
void ForEachCharacter(TextEncoding encoding, const char* data, std::size_t size, Take&& take) {
    switch (encoding) {
        case TextEncoding::Gbk: {
            const auto* p = reinterpret_cast<const unsigned char*>(data);
            for (std::size_t i = 0; i < size;) {
                const bool pair = gbk::IsLeadByte(p[i]) && i + 1 < size;
                take(i, std::size_t{pair ? 2u : 1u},
                     static_cast<std::uint16_t>(pair ? p[i] << 8 | p[i + 1] : p[i]));
                i += pair ? 2 : 1;
            }
            return;
        }
        case TextEncoding::Utf8:
        case TextEncoding::Big5:
        case TextEncoding::Utf16Le:
        case TextEncoding::Utf16Be: {
            const gbk::CCodec& codec = gbk::Codec();
            const bool utf16 = UnitSize(encoding) == 2;
            ForEachCodePoint(encoding, data, size, [&](std::size_t i, std::size_t width, char32_t cp) {
                if (utf16 && width == 1) return;  // the odd byte at the end
                take(i, width, cp == kNotACharacter ? gbk::kNoCode : codec.Encode(cp));
            });
            return;
        }
    }
}

// The GBK bytes of a code given by ForEachCharacter.
inline void AppendGbkCode(std::string& gbkText, std::uint16_t code) {
    if (code >= 0x100) gbkText += static_cast<char>(code >> 8);
    gbkText += static_cast<char>(code);
}

// Calls stretch(begin, end, gbkText) for every maximal stretch data[begin, end) of characters GBK holds, with
// their GBK form, and other(offset, size) for every character or byte between the stretches, in order. In GBK
// the whole text is one stretch. gbkText is storage the caller lends, to keep its capacity between calls.
template <class Stretch, class Other>
void ForEachStretch(TextEncoding encoding, const char* data, std::size_t size, std::string& gbkText,
                    Stretch&& stretch, Other&& other) {
    constexpr std::size_t kClosed = static_cast<std::size_t>(-1);
    std::size_t begin = kClosed;
    std::size_t end = 0;
    gbkText.clear();
    const auto close = [&] {
        if (begin == kClosed) return;
        stretch(begin, end, gbkText);
        gbkText.clear();
        begin = kClosed;
    };
    ForEachCharacter(encoding, data, size, [&](std::size_t offset, std::size_t width, std::uint16_t code) {
        if (code == gbk::kNoCode) {
            close();
            other(offset, width);
            return;
        }
        if (begin == kClosed) begin = offset;
        AppendGbkCode(gbkText, code);
        end = offset + width;
    });
    close();
}

// Calls take(begin, size) for every line of units[0, count), without its terminator (LF, or CR LF), until
// take returns false; returns whether every call returned true. lf and cr are the units as they lie in
// memory.
template <class Unit, class Take>
bool ForEachLine(const Unit* units, std::size_t count, Unit lf, Unit cr, Take&& take) {
    std::size_t at = 0;
    while (at < count) {
        std::size_t end = at;
        if constexpr (sizeof(Unit) == 1) {
            const void* found = std::memchr(units + at, static_cast<unsigned char>(lf), count - at);
            end =
                found != nullptr ? static_cast<std::size_t>(static_cast<const Unit*>(found) - units) : count;
        } else {
            while (end < count && units[end] != lf) ++end;
        }
        std::size_t size = end - at;
        if (end < count && size > 0 && units[end - 1] == cr) --size;
        if (!take(at, size)) return false;
        at = end < count ? end + 1 : count;
    }
    return true;
}

// Where the parts of units[0, count) end when it is cut into at most `parts` runs of whole lines of about
// equal size: each cut follows the first lf at or after its share, so that a part is never empty. The last
// end is count.
template <class Unit>
void CutAtLineEnds(const Unit* units, std::size_t count, Unit lf, std::size_t parts,
                   std::vector<std::size_t>& ends) {
    ends.clear();
    for (std::size_t k = 1; k < parts; ++k) {
        const std::size_t from = std::max(count / parts * k, ends.empty() ? 0 : ends.back());
        const std::size_t after =
            static_cast<std::size_t>(std::find(units + from, units + count, lf) - units) + 1;
        if (after >= count) break;
        ends.push_back(after);
    }
    ends.push_back(count);
}

// ForEachLine over the bytes of a text in `encoding`: take(begin, size) in bytes. In UTF-16 lines end at the
// unit LF (a CR unit right before it belonging to the terminator), and an odd last byte stays with the last
// line.
template <class Take>
bool ForEachLineOf(TextEncoding encoding, const char* data, std::size_t size, Take&& take) {
    switch (encoding) {
        case TextEncoding::Gbk:
        case TextEncoding::Utf8:
        case TextEncoding::Big5:  // no trail byte is below 0x40: LF and CR are always themselves
            return ForEachLine(data, size, '\n', '\r', take);
        case TextEncoding::Utf16Le:
        case TextEncoding::Utf16Be:
            break;
    }
    const std::size_t low = encoding == TextEncoding::Utf16Le ? 0 : 1;  // where a unit's low byte lies
    const auto isUnit = [&](std::size_t i, char c) { return data[i + low] == c && data[i + 1 - low] == 0; };
    std::size_t at = 0;
    while (at < size) {
        std::size_t end = at;
        while (end + 1 < size && !isUnit(end, '\n')) end += 2;
        const bool ended = end + 1 < size;
        if (!ended) end = size;
        std::size_t lineSize = end - at;
        if (ended && lineSize >= 2 && isUnit(end - 2, '\r')) lineSize -= 2;
        if (!take(at, lineSize)) return false;
        at = ended ? end + 2 : size;
    }
    return true;
}

}  // namespace text
