// ConvertLines.hpp: the line loop of a file conversion, in the file's own encoding.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "convert/OutputEncoding.hpp"
#include "core/EncodingDetection.hpp"
#include "core/Parallel.hpp"
#include "core/TextConversion.hpp"
#include "core/TextStretches.hpp"
#include "core/Transcode.hpp"
#include "core/Utf8Validity.hpp"
#include "platform/TextFile.hpp"

enum class LinesOutcome { Done, ReadFailed, WriteFailed };

// Whether lines converted as UTF-8 are strict UTF-8 throughout, found by the threads that convert them (a
// part that converted through GBK is, ConvertRunPart says) rather than by the one that reads.
class CUtf8Check {
  public:
    void Check(const char* data, std::size_t size) {
        const auto* p = reinterpret_cast<const unsigned char*>(data);
        if (utf8::SkipValid(p, p + size) != p + size) m_invalid.store(true, std::memory_order_relaxed);
    }
    // After the line loop, whose threads are done.
    bool Invalid() const { return m_invalid.load(); }

  private:
    std::atomic<bool> m_invalid{false};
};

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
        case TextEncoding::Big5:  // a legacy code page, read in the classic text mode as GBK is
            break;
    }
    return {1, false, true};
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

namespace linesdetail {

// A run of lines converting in parts on the helper threads: its own copy of the input (the reader reuses its
// buffer), where the parts end, and their results, UTF-16 as units.
template <class Out>
struct CRunInParts {
    Out input;
    std::vector<std::size_t> ends;
    std::vector<Out> outputs;
    std::vector<TextEncoding> encodings;  // Big5: the encoding of each part's result, GBK or UTF-8
    bool endsLines = true;                // false: its last line goes on in the next run
    parallel::CBatch batch;               // last, so destroyed first: it waits for the parts still running
};

// A part of Big5 lines into out: written in GBK and converted as GBK where GBK holds every character of it,
// else line by line through UTF-8, each line keeping its own line end, as ConvertLines takes such a run.
// Returns the encoding of out.
inline TextEncoding ConvertBig5Part(const CTextConversion& conversion, const char* part, std::size_t size,
                                    std::string& out) {
    thread_local std::string gbk;
    gbk.assign(part, size);
    std::size_t gbkSize = size;
    if (text::Big5AsGbk(&gbk[0], gbkSize)) {
        conversion.ConvertRunPart(TextEncoding::Gbk, &gbk[0], gbkSize, out);
        return TextEncoding::Gbk;
    }
    out.clear();
    thread_local std::string line;
    text::ForEachLine(part, size, '\n', '\r', [&](std::size_t at, std::size_t length) {
        text::ToPivot(TextEncoding::Big5, part + at, length, line);
        conversion.ConvertUtf8(line);
        out += line;
        const std::size_t end = at + length;
        const void* lf = std::memchr(part + end, '\n', size - end);
        out.append(part + end, lf == nullptr ? size - end : static_cast<const char*>(lf) + 1 - (part + end));
        return true;
    });
    return TextEncoding::Utf8;
}

// Parts big enough that meeting the threads costs little, small enough that a run of the reader's (256 KB)
// keeps every thread busy.
constexpr std::size_t kPartBytes = 64 * 1024;
constexpr std::size_t kRunBytes = 512 * 1024;

}  // namespace linesdetail

// ConvertLines where the conversion converts runs in parts (ConvertsRunParts): each run converts on the
// helper threads while the one before it is written out and the next one read, this thread joining in
// whenever it waits, so reading and writing cost hardly any time of their own. Out is std::string, or
// std::u16string for UTF-16. Big5 converts as GBK (where the conversion converts GBK in parts), a part
// that holds a character GBK lacks line by line through UTF-8, as ConvertLines takes such a run.
template <class Out, class Reader, class Writer, class Tracker>
LinesOutcome ConvertRunsInParts(Reader& reader, Writer& writer, const CTextConversion& conversion,
                                TextEncoding encoding, Tracker& progress, CUtf8Check* check) {
    using Unit = typename Out::value_type;
    const platform::LineLayout layout = LayoutOf(encoding);
    const Unit lf = sizeof(Unit) == 1 ? Unit{'\n'} : linesdetail::InFileOrder(u'\n', layout.bigEndian);
    linesdetail::CRunInParts<Out> runs[2];
    std::string stray;  // half a unit at the end of a UTF-16 input
    // A line too long for a part is cut inside as well, where the conversion allows; not in Big5, whose
    // parts may come out in different encodings.
    const text::CLineCuts cuts{encoding == TextEncoding::Big5 ? 0 : conversion.LineCutBytes(), encoding};
    const auto convertPart = [&conversion, encoding, check](linesdetail::CRunInParts<Out>& run,
                                                            std::size_t k) {
        const std::size_t from = k == 0 ? 0 : run.ends[k - 1];
        char* part = reinterpret_cast<char*>(&run.input[0]) + from;
        const std::size_t size = run.ends[k] - from;
        if constexpr (sizeof(Unit) == 1) {
            if (encoding == TextEncoding::Big5) {
                run.encodings[k] = linesdetail::ConvertBig5Part(conversion, part, size, run.outputs[k]);
                return;
            }
            if (!conversion.ConvertRunPart(encoding, part, size, run.outputs[k]) && check != nullptr)
                check->Check(part, size);
        } else {
            thread_local std::string bytes;
            conversion.ConvertRunPart(encoding, part, size, bytes);
            run.outputs[k].resize(bytes.size() / 2);
            if (!bytes.empty()) std::memcpy(&run.outputs[k][0], bytes.data(), bytes.size());
        }
    };
    const auto writeOut = [&](linesdetail::CRunInParts<Out>& run) {
        run.batch.Wait();
        for (std::size_t k = 0; k < run.outputs.size(); ++k) {
            if (encoding == TextEncoding::Big5) SetLinesEncoding(writer, run.encodings[k]);
            // A part cut inside a line goes on in the next one: no line break after it.
            const std::size_t end = run.ends[k] / sizeof(Unit);
            const bool endsLine =
                (k + 1 == run.outputs.size() && run.endsLines) || (end > 0 && run.input[end - 1] == lf);
            std::int64_t lineBytes = 0;
            if (!writer.WriteLines(run.outputs[k].data(), run.outputs[k].size(), lineBytes, endsLine))
                return false;
            progress.Add(lineBytes);
        }
        return true;
    };
    std::size_t next = 0;
    bool converting = false;  // runs[1 - next] converts and waits to be written
    platform::LineRun read;
    while (reader.ReadLines(read)) {
        std::size_t size = read.size;
        if (sizeof(Unit) == 2 && size % 2 != 0) stray.assign(read.data + --size, 1);
        // A reader that looked far ahead hands out megabytes at once: they go through in runs of about
        // kRunBytes, so that memory stays bounded.
        std::size_t at = 0;
        do {
            const std::size_t end =
                size - at <= linesdetail::kRunBytes
                    ? size
                    : sizeof(Unit) * text::NextCut(read.data, size / sizeof(Unit),
                                                   (at + linesdetail::kRunBytes) / sizeof(Unit), lf, cuts,
                                                   linesdetail::kRunBytes / sizeof(Unit));
            linesdetail::CRunInParts<Out>& run = runs[next];
            run.input.resize((end - at) / sizeof(Unit));
            if (end != at) std::memcpy(&run.input[0], read.data + at, end - at);
            run.endsLines = end == size;  // the reader hands out whole lines
            const std::size_t parts = std::max<std::size_t>(1, (end - at) / linesdetail::kPartBytes);
            text::CutIntoParts(reinterpret_cast<const char*>(run.input.data()), run.input.size(), lf, parts,
                               cuts, linesdetail::kPartBytes / sizeof(Unit), run.ends);
            for (std::size_t& partEnd : run.ends) partEnd *= sizeof(Unit);
            run.outputs.resize(run.ends.size());
            run.encodings.resize(run.ends.size());
            run.batch.Start(run.ends.size(), [&convertPart, &run](std::size_t k) { convertPart(run, k); });
            if (converting && !writeOut(runs[1 - next])) return LinesOutcome::WriteFailed;
            converting = true;
            next = 1 - next;
            at = end;
        } while (at < size);
    }
    if (converting && !writeOut(runs[1 - next])) return LinesOutcome::WriteFailed;
    if (reader.Failed()) return LinesOutcome::ReadFailed;
    if (!stray.empty() && !writer.Write(stray.data(), stray.size())) return LinesOutcome::WriteFailed;
    return LinesOutcome::Done;
}

// Reads every line, converts it, writes it with its line break and reports the position as it goes (after
// each line, or after each run of lines converted together); the line terminators count toward the reader's
// Length() but not toward the bytes written. Stops at the first failure. Lines come in runs, converted a run
// at a time where the tables allow and one by one otherwise. The reader's layout must be that of the encoding
// (LayoutOf), and so must the writer's line break. A UTF-16 input that ends in half a unit keeps that byte,
// after the last line. Reader: Length(), ReadLines(run), Failed(). Writer: WriteLine(data, size),
// WriteLines(units, count, lineBytes, endsLine = true) (false: its last line goes on in the next call, as
// when a line too long for one part is cut), Write(data, size). knownValid: the input is strict UTF-8
// throughout, as the detection found it (or the result is not kept). check: UTF-8 input whose validity is to
// be found on the way.
template <class Reader, class Writer, class Progress>
LinesOutcome ConvertLines(Reader& reader, Writer& writer, const CTextConversion& conversion,
                          TextEncoding encoding, Progress&& setProgress, bool knownValid = false,
                          CUtf8Check* check = nullptr) {
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
    // Big5 goes in parts as GBK, where GBK does.
    if (conversion.ConvertsRunParts(encoding == TextEncoding::Big5 ? TextEncoding::Gbk : encoding)) {
        if (UnitSize(encoding) == 2)
            return ConvertRunsInParts<std::u16string>(reader, writer, conversion, encoding, progress,
                                                      nullptr);
        return ConvertRunsInParts<std::string>(reader, writer, conversion, encoding, progress, check);
    }
    std::string line;      // for lines converted one by one
    std::u16string units;  // a UTF-16 run, as units
    std::u16string unitLine;
    std::string stray;      // half a unit at the end of a UTF-16 input
    std::string big5AsGbk;  // a Big5 run as read
    // One byte units: in place where the tables allow, else into a buffer (by words lines may change their
    // length; only Big5 gets here so, the rest goes through ConvertRunsInParts), else line by line.
    const auto notInto = [](platform::LineRun&) { return false; };
    const auto convertBytes = [&](platform::LineRun& run, auto&& inPlace, auto&& into, auto&& convertLine) {
        if (inPlace(run)) return putRun(run.data, run.size);
        if (into(run)) return putRun(line.data(), line.size());
        return text::ForEachLine(run.data, run.size, '\n', '\r', [&](std::size_t at, std::size_t size) {
            line.assign(run.data + at, size);
            convertLine(line);
            return put(line.data(), line.size());
        });
    };
    const auto convertUnits = [&](platform::LineRun& run, bool bigEndian) {
        const bool swapped = bigEndian != linesdetail::HostIsBigEndian();
        units.resize(run.size / 2);
        std::memcpy(&units[0], run.data, units.size() * 2);
        if (run.size % 2 != 0) stray.assign(run.data + run.size - 1, 1);
        if (conversion.ConvertUtf16Lines(&units[0], units.size(), swapped))
            return putRun(units.data(), units.size());
        const char16_t lf = linesdetail::InFileOrder(u'\n', bigEndian);
        const char16_t cr = linesdetail::InFileOrder(u'\r', bigEndian);
        return text::ForEachLine(units.data(), units.size(), lf, cr, [&](std::size_t at, std::size_t size) {
            unitLine.assign(units.data() + at, size);
            conversion.ConvertUtf16(unitLine, swapped);
            return put(reinterpret_cast<const char*>(unitLine.data()), unitLine.size() * 2);
        });
    };
    platform::LineRun run;
    while (reader.ReadLines(run)) {
        if (check != nullptr) check->Check(run.data, run.size);
        bool allWritten = true;
        switch (encoding) {
            case TextEncoding::Gbk:
                allWritten = convertBytes(
                    run, [&](platform::LineRun& r) { return conversion.ConvertGbkLines(r.data, r.size); },
                    notInto, [&](std::string& text) { conversion.ConvertGbk(text); });
                break;
            case TextEncoding::Utf8:
                allWritten = convertBytes(
                    run,
                    [&](platform::LineRun& r) {
                        return conversion.ConvertUtf8Lines(r.data, r.size, knownValid);
                    },
                    notInto, [&](std::string& text) { conversion.ConvertUtf8(text); });
                break;
            case TextEncoding::Big5:
                // Converted as GBK where every character of the run is one GBK holds (the same rule, at GBK's
                // speed: in one pass when a character at a time), else line by line as UTF-8 (ToPivot); its
                // results need not be Big5's: the writer writes each line in the output's encoding.
                big5AsGbk.assign(run.data, run.size);  // kept for the lines that are not all GBK's
                if (conversion.ConvertBig5LinesToGbk(run.data, run.size)) {
                    SetLinesEncoding(writer, TextEncoding::Gbk);
                    allWritten = putRun(run.data, run.size);
                    break;
                }
                std::memcpy(run.data, big5AsGbk.data(), big5AsGbk.size());  // the pass stopped part-way
                if (text::Big5AsGbk(run.data, run.size)) {
                    SetLinesEncoding(writer, TextEncoding::Gbk);
                    platform::LineRun& gbkRun = run;
                    allWritten = convertBytes(
                        gbkRun,
                        [&](platform::LineRun& r) { return conversion.ConvertGbkLines(r.data, r.size); },
                        [&](platform::LineRun& r) {
                            return conversion.ConvertGbkLinesInto(r.data, r.size, line);
                        },
                        [&](std::string& text) { conversion.ConvertGbk(text); });
                    break;
                }
                SetLinesEncoding(writer, TextEncoding::Utf8);
                allWritten = text::ForEachLine(
                    big5AsGbk.data(), big5AsGbk.size(), '\n', '\r', [&](std::size_t at, std::size_t size) {
                        text::ToPivot(TextEncoding::Big5, big5AsGbk.data() + at, size, line);
                        conversion.ConvertUtf8(line);
                        if (!writer.WriteLine(line.data(), line.size())) return false;
                        progress.Add(static_cast<std::int64_t>(size));
                        return true;
                    });
                break;
            case TextEncoding::Utf16Le:
                allWritten = convertUnits(run, false);
                break;
            case TextEncoding::Utf16Be:
                allWritten = convertUnits(run, true);
                break;
        }
        if (!allWritten) return LinesOutcome::WriteFailed;
    }
    if (reader.Failed()) return LinesOutcome::ReadFailed;
    if (!stray.empty() && !writer.Write(stray.data(), stray.size())) return LinesOutcome::WriteFailed;
    return LinesOutcome::Done;
}
