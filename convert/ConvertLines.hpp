// ConvertLines.hpp: the line loop of a file conversion, over any line reader and line writer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "core/CharTables.hpp"
#include "core/ConvertText.hpp"
#include "core/ConvertWords.hpp"
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

// Calls take(data, size) for every line of the run, without its terminator (LF, or CR LF), until take
// returns false; returns whether every call returned true.
template <class Take>
bool ForEachLine(const platform::LineRun& run, Take&& take) {
    const char* at = run.data;
    const char* const end = run.data + run.size;
    while (at < end) {
        const auto* lf = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
        std::size_t size = static_cast<std::size_t>((lf != nullptr ? lf : end) - at);
        const char* next = lf != nullptr ? lf + 1 : end;
        if (lf != nullptr && size > 0 && at[size - 1] == '\r') --size;
        if (!take(at, size)) return false;
        at = next;
    }
    return true;
}

// Reads every line, converts it, writes it with its line break and reports the position after each line;
// the line terminators count toward the reader's Length() but not toward the bytes written. Stops at the
// first failure. Lines come in runs: convertRun(run) converts a whole run, in place or by pointing the run at
// its result, or returns false, and then each line goes through convertLine(line) on its own. Reader:
// Length(), ReadLines(run), Failed(). Writer: WriteLine(data, size).
template <class Reader, class Writer, class ConvertRun, class ConvertLine, class Progress>
LinesOutcome ConvertLinesWith(Reader& reader, Writer& writer, ConvertRun&& convertRun,
                              ConvertLine&& convertLine, Progress&& setProgress) {
    const std::int64_t total = reader.Length();
    std::int64_t written = 0;
    std::string line;  // for lines converted one by one
    platform::LineRun run;
    while (reader.ReadLines(run)) {
        platform::LineRun converted = run;
        const bool whole = convertRun(converted);
        const bool allWritten = ForEachLine(whole ? converted : run, [&](const char* data, std::size_t size) {
            if (!whole) {
                line.assign(data, size);
                convertLine(line);
                data = line.data();
                size = line.size();
            }
            if (!writer.WriteLine(data, size)) return false;
            written += static_cast<std::int64_t>(size);
            setProgress(ProgressPosition(written, total));
            return true;
        });
        if (!allWritten) return LinesOutcome::WriteFailed;
    }
    return reader.Failed() ? LinesOutcome::ReadFailed : LinesOutcome::Done;
}

// Conversion by the character table: runs in place where the tables allow (ConvertLineRun).
template <class Reader, class Writer, class Progress>
LinesOutcome ConvertLines(Reader& reader, Writer& writer, int toTraditional, const CharTables& tables,
                          Progress&& setProgress) {
    return ConvertLinesWith(
        reader, writer,
        [&](platform::LineRun& run) { return ConvertLineRun(run.data, run.size, toTraditional, tables); },
        [&](std::string& line) { ConvertText(line, toTraditional, tables); }, setProgress);
}

// Conversion by words: runs into a buffer where the tables and phrases allow (ConvertWordsLineRun).
template <class Reader, class Writer, class Progress>
LinesOutcome ConvertLinesByWords(Reader& reader, Writer& writer, int toTraditional, const CharTables& tables,
                                 const PhraseTables& phrases, Progress&& setProgress) {
    std::string buffer;
    return ConvertLinesWith(
        reader, writer,
        [&](platform::LineRun& run) {
            if (!ConvertWordsLineRun(run.data, run.size, toTraditional, tables, phrases, buffer))
                return false;
            run = platform::LineRun{buffer.empty() ? run.data : &buffer[0], buffer.size()};
            return true;
        },
        [&](std::string& line) { ConvertWords(line, toTraditional, tables, phrases); }, setProgress);
}
