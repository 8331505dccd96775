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

// Places inside a line where a conversion may cut it (CTextConversion::LineCutBytes): after a unit below 0x40
// whose bit is set, itself right after another unit below 0x40. No trail byte of GBK or Big5 is below 0x40,
// so a character begins at the second unit in every encoding. In UTF-8 and UTF-16 a description sequence
// (U+2FF0 to U+2FFF, then up to 63 more code points of any kind) stays whole, so no place within its reach
// is one.
struct CLineCuts {
    std::uint64_t bytes = 0;
    TextEncoding encoding = TextEncoding::Gbk;  // of the units, UTF-16 in the file's byte order
};

// The end of the first place to cut a text of `count` units at, at or after the unit `from`: after an lf,
// when one comes within `reach` units; else after the first lf or place inside a line (CLineCuts) there is;
// else count. The units are read from `data` one by one, wherever it lies.
template <class Unit>
std::size_t NextCut(const char* data, std::size_t count, std::size_t from, Unit lf, const CLineCuts& cuts,
                    std::size_t reach) {
    const auto unitAt = [data](std::size_t i) {
        Unit unit;
        std::memcpy(&unit, data + i * sizeof(Unit), sizeof(Unit));
        return unit;
    };
    // The first lf in [at, end), or end.
    const auto findLf = [&](std::size_t at, std::size_t end) {
        if constexpr (sizeof(Unit) == 1) {
            const void* found = std::memchr(data + at, static_cast<unsigned char>(lf), end - at);
            return found == nullptr ? end : static_cast<std::size_t>(static_cast<const char*>(found) - data);
        } else {
            while (at < end && unitAt(at) != lf) ++at;
            return at;
        }
    };
    const std::size_t near = from + std::min(reach, count - from);
    std::size_t i = findLf(from, near);
    if (i < near || cuts.bytes == 0) {
        i = findLf(i, count);
        return i == count ? count : i + 1;
    }
    // Its value, UTF-16 read in the file's byte order.
    const bool big = cuts.encoding == TextEncoding::Utf16Be;
    const auto value = [&](std::size_t at) -> unsigned {
        const auto* bytes = reinterpret_cast<const unsigned char*>(data + at * sizeof(Unit));
        if (sizeof(Unit) == 1) return bytes[0];
        return big ? bytes[0] << 8 | bytes[1] : bytes[1] << 8 | bytes[0];
    };
    // A description operator: E2 BF B0 to E2 BF BF in UTF-8, one unit in UTF-16. Its sequence reaches at most
    // 64 code points: 256 bytes, 128 units.
    const bool describes = cuts.encoding != TextEncoding::Gbk && cuts.encoding != TextEncoding::Big5;
    const std::size_t sequenceReach = sizeof(Unit) == 1 ? 256 : 128;
    const auto operatorEndsAt = [&](std::size_t at) {
        if (sizeof(Unit) == 2) return value(at) >= 0x2FF0 && value(at) <= 0x2FFF;
        return at >= 2 && (value(at) & 0xF0) == 0xB0 && value(at - 1) == 0xBF && value(at - 2) == 0xE2;
    };
    std::size_t clearFrom = 0;  // no operator reaches a place from here on
    if (describes) {
        for (std::size_t at = from > sequenceReach ? from - sequenceReach : 0; at < from; ++at) {
            if (operatorEndsAt(at)) clearFrom = at + sequenceReach;
        }
    }
    for (i = from; i + 1 < count; ++i) {
        if (unitAt(i) == lf) return i + 1;
        if (describes && operatorEndsAt(i)) clearFrom = i + sequenceReach;
        const unsigned unit = value(i);
        if (unit < 0x40 && (cuts.bytes >> unit & 1) != 0 && i > 0 && value(i - 1) < 0x40 && i >= clearFrom)
            return i + 1;
    }
    return count;
}

// Where the parts of a text of `count` units end when it is cut into at most `parts` of about equal size:
// each cut follows its share at the first place NextCut gives, so that a part is never empty. The last end is
// count. With no places inside lines (cuts.bytes 0) every part is a run of whole lines.
template <class Unit>
void CutIntoParts(const char* data, std::size_t count, Unit lf, std::size_t parts, const CLineCuts& cuts,
                  std::size_t reach, std::vector<std::size_t>& ends) {
    ends.clear();
    for (std::size_t k = 1; k < parts; ++k) {
        const std::size_t from = std::max(count / parts * k, ends.empty() ? 0 : ends.back());
        const std::size_t after = NextCut(data, count, from, lf, cuts, reach);
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
