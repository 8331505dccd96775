// ConvertLines.hpp: the line loop of a file conversion, over any line reader and line writer.
#pragma once

#include <cstdint>
#include <string>

#include "core/CharTables.hpp"
#include "core/ConvertText.hpp"

enum class LinesOutcome { Done, ReadFailed, WriteFailed };

// Progress bar position (0 to 1000) after `written` of `total` bytes: ProgressPosition(5, 10) is 500. The
// product is taken in 64 bits; only beyond 9 PB, where even that would overflow, the total is scaled down first.
// A length of 0 (an empty file, or a device that reports none) gives 0 rather than a division by zero.
inline int ProgressPosition(std::int64_t written, std::int64_t total) {
    if (total <= 0 || written <= 0) return 0;
    if (written >= total) return 1000;
    if (written <= INT64_MAX / 1000) return static_cast<int>(written * 1000 / total);
    return static_cast<int>(written / (total / 1000));
}

// Reads every line, converts it, writes it with its line break and reports the position after each line;
// the line terminators count toward the reader's Length() but not toward the bytes written. Stops at the first
// failure. Reader: Length(), ReadLine(line), Failed(). Writer: WriteLine(line).
template <class Reader, class Writer, class Progress>
LinesOutcome ConvertLines(Reader& reader, Writer& writer, int toTraditional, const CharTables& tables,
                          Progress&& setProgress) {
    const std::int64_t total = reader.Length();
    std::int64_t written = 0;
    std::string line;
    while (reader.ReadLine(line)) {
        ConvertText(line, toTraditional, tables);
        if (!writer.WriteLine(line)) return LinesOutcome::WriteFailed;
        written += static_cast<std::int64_t>(line.size());
        setProgress(ProgressPosition(written, total));
    }
    return reader.Failed() ? LinesOutcome::ReadFailed : LinesOutcome::Done;
}
