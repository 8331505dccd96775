// ConvertLines.hpp: the line loop of a file conversion, in the file's own encoding.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "core/EncodingDetection.hpp"
#include "core/TextConversion.hpp"
#include "platform/TextFile.hpp"

enum class LinesOutcome { Done, ReadFailed, WriteFailed };

// Progress bar position (0 to 1000) after `written` of `total` bytes: ProgressPosition(5, 10) is 500. The
// product is taken in 64 bits; only beyond 9 PB, where even that would overflow, the total is scaled down
// first. A length of 0 (an empty file, or a device that reports none) gives 0 rather than a division by zero.
inline int ProgressPosition(std::int64_t written, std::int64_t total) {
    if (total <= 0 || written <= 0) return 0;
    if (written >= total) return 1000;
    if (written <= INT64_MAX / 1000) return static_cast<int>(written * 1000 / total);
    return static_cast<int>(written / (total / 1000));
}

// The lines of each encoding: GBK ends its input at a 0x1A byte as the classic text mode does; UTF-8 and
// UTF-16 take 0x1A as the character it is, and UTF-16 ends its lines at the unit LF.
inline platform::LineLayout LayoutOf(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8:
            return {1, false, false};
        case TextEncoding::Utf16Le:
            return {2, false, false};
        case TextEncoding::Utf16Be:
            return {2, true, false};
        case TextEncoding::Gbk:
            break;
    }
    return {1, false, true};
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

namespace linesdetail {

inline char16_t InFileOrder(char16_t unit, bool bigEndian) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(bigEndian ? unit >> 8 : unit),
                                    static_cast<unsigned char>(bigEndian ? unit : unit >> 8)};
    char16_t loaded;
    std::memcpy(&loaded, bytes, 2);
    return loaded;
}

inline bool HostIsBigEndian() {
    const char16_t one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    return first == 0;
}

}  // namespace linesdetail

// Reads every line, converts it, writes it with its line break and reports the position after each line; the
// line terminators count toward the reader's Length() but not toward the bytes written. Stops at the first
// failure. Lines come in runs, converted a run at a time where the tables allow and one by one otherwise. The
// reader's layout must be that of the encoding (LayoutOf), and so must the writer's line break. A UTF-16
// input that ends in half a unit keeps that byte, after the last line. Reader: Length(), ReadLines(run),
// Failed(). Writer: WriteLine(data, size), Write(data, size).
template <class Reader, class Writer, class Progress>
LinesOutcome ConvertLines(Reader& reader, Writer& writer, const CTextConversion& conversion,
                          TextEncoding encoding, Progress&& setProgress) {
    const std::int64_t total = reader.Length();
    std::int64_t written = 0;
    const auto put = [&](const char* data, std::size_t size) {
        if (!writer.WriteLine(data, size)) return false;
        written += static_cast<std::int64_t>(size);
        setProgress(ProgressPosition(written, total));
        return true;
    };
    const bool utf16 = encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
    const bool bigEndian = encoding == TextEncoding::Utf16Be;
    const bool swapped = bigEndian != linesdetail::HostIsBigEndian();
    std::string line;      // for lines converted one by one
    std::u16string units;  // a UTF-16 run, as units
    std::u16string unitLine;
    std::string stray;  // half a unit at the end of a UTF-16 input
    platform::LineRun run;
    while (reader.ReadLines(run)) {
        bool allWritten = true;
        if (!utf16) {
            const bool converted = encoding == TextEncoding::Gbk
                                       ? conversion.ConvertGbkLines(run.data, run.size)
                                       : conversion.ConvertUtf8Lines(run.data, run.size);
            allWritten = ForEachLine(run.data, run.size, '\n', '\r', [&](std::size_t at, std::size_t size) {
                if (converted) return put(run.data + at, size);
                line.assign(run.data + at, size);
                if (encoding == TextEncoding::Gbk) {
                    conversion.ConvertGbk(line);
                } else {
                    conversion.ConvertUtf8(line);
                }
                return put(line.data(), line.size());
            });
        } else {
            units.resize(run.size / 2);
            std::memcpy(&units[0], run.data, units.size() * 2);
            if (run.size % 2 != 0) stray.assign(run.data + run.size - 1, 1);
            const bool converted = conversion.ConvertUtf16Lines(&units[0], units.size(), swapped);
            const char16_t lf = linesdetail::InFileOrder(u'\n', bigEndian);
            const char16_t cr = linesdetail::InFileOrder(u'\r', bigEndian);
            allWritten =
                ForEachLine(units.data(), units.size(), lf, cr, [&](std::size_t at, std::size_t size) {
                    const char16_t* begin = units.data() + at;
                    if (!converted) {
                        unitLine.assign(begin, size);
                        conversion.ConvertUtf16(unitLine, swapped);
                        begin = unitLine.data();
                    }
                    return put(reinterpret_cast<const char*>(begin), size * 2);
                });
        }
        if (!allWritten) return LinesOutcome::WriteFailed;
    }
    if (reader.Failed()) return LinesOutcome::ReadFailed;
    if (!stray.empty() && !writer.Write(stray.data(), stray.size())) return LinesOutcome::WriteFailed;
    return LinesOutcome::Done;
}
