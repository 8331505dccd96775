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

// The position of the progress bar after each line, computed only when it can have changed: a division per
// line would cost more than converting it. set(position) is called at each change.
template <class Progress>
class CProgressTracker {
  public:
    CProgressTracker(std::int64_t total, Progress& set) : m_total(total), m_set(set) {}

    void Add(std::int64_t bytes) {
        m_written += bytes;
        if (m_written < m_next) return;
        const int position = ProgressPosition(m_written, m_total);
        if (position != m_position) m_set(position);
        m_position = position;
        // The first count of bytes that gives the next position: position + 1 = floor(written * 1000 /
        // total).
        m_next = position >= 1000 || m_total <= 0 ? INT64_MAX : NextThreshold(position + 1);
    }

  private:
    std::int64_t NextThreshold(int position) const {
        if (m_total <= INT64_MAX / 1000) return (static_cast<std::int64_t>(position) * m_total + 999) / 1000;
        return m_written + 1;  // beyond 9 PB: every line, as ProgressPosition scales the total there
    }

    std::int64_t m_total;
    Progress& m_set;
    std::int64_t m_written = 0;
    std::int64_t m_next = 1;
    int m_position = 0;
};

// Reads every line, converts it, writes it with its line break and reports the position as it goes (after
// each line, or after each run of lines converted together); the line terminators count toward the reader's
// Length() but not toward the bytes written. Stops at the first failure. Lines come in runs, converted a run
// at a time where the tables allow and one by one otherwise. The reader's layout must be that of the encoding
// (LayoutOf), and so must the writer's line break. A UTF-16 input that ends in half a unit keeps that byte,
// after the last line. Reader: Length(), ReadLines(run), Failed(). Writer: WriteLine(data, size),
// WriteLines(units, count, lineBytes), Write(data, size). knownValid: the input is strict UTF-8 throughout,
// as the detection found it (or the result is not kept).
template <class Reader, class Writer, class Progress>
LinesOutcome ConvertLines(Reader& reader, Writer& writer, const CTextConversion& conversion,
                          TextEncoding encoding, Progress&& setProgress, bool knownValid = false) {
    CProgressTracker<Progress> progress(reader.Length(), setProgress);
    // A run converted in place goes out whole, its progress counted once for all its lines.
    const auto putRun = [&](const auto* units, std::size_t count) {
        std::int64_t lineBytes = 0;
        if (!writer.WriteLines(units, count, lineBytes)) return false;
        progress.Add(lineBytes);
        return true;
    };
    const auto put = [&](const char* data, std::size_t size) {
        if (!writer.WriteLine(data, size)) return false;
        progress.Add(static_cast<std::int64_t>(size));
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
                                       : conversion.ConvertUtf8Lines(run.data, run.size, knownValid);
            if (converted) {
                allWritten = putRun(run.data, run.size);
            } else if (encoding == TextEncoding::Gbk &&
                       conversion.ConvertGbkLinesInto(run.data, run.size, line)) {
                allWritten = putRun(line.data(), line.size());  // by words, lines may change their length
            } else {
                allWritten =
                    ForEachLine(run.data, run.size, '\n', '\r', [&](std::size_t at, std::size_t size) {
                        line.assign(run.data + at, size);
                        if (encoding == TextEncoding::Gbk) {
                            conversion.ConvertGbk(line);
                        } else {
                            conversion.ConvertUtf8(line);
                        }
                        return put(line.data(), line.size());
                    });
            }
        } else {
            units.resize(run.size / 2);
            std::memcpy(&units[0], run.data, units.size() * 2);
            if (run.size % 2 != 0) stray.assign(run.data + run.size - 1, 1);
            const bool converted = conversion.ConvertUtf16Lines(&units[0], units.size(), swapped);
            const char16_t lf = linesdetail::InFileOrder(u'\n', bigEndian);
            const char16_t cr = linesdetail::InFileOrder(u'\r', bigEndian);
            if (converted) {
                allWritten = putRun(units.data(), units.size());
            } else {
                allWritten =
                    ForEachLine(units.data(), units.size(), lf, cr, [&](std::size_t at, std::size_t size) {
                        unitLine.assign(units.data() + at, size);
                        conversion.ConvertUtf16(unitLine, swapped);
                        return put(reinterpret_cast<const char*>(unitLine.data()), size * 2);
                    });
            }
        }
        if (!allWritten) return LinesOutcome::WriteFailed;
    }
    if (reader.Failed()) return LinesOutcome::ReadFailed;
    if (!stray.empty() && !writer.Write(stray.data(), stray.size())) return LinesOutcome::WriteFailed;
    return LinesOutcome::Done;
}
