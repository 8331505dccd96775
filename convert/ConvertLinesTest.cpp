// ConvertLinesTest.cpp: the line loop where runs of lines convert on the helper threads while the ones before
// are written and the ones after read, in every encoding, whatever sizes the reader hands out.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "convert/ConvertLines.hpp"
#include "core/ConversionChain.hpp"
#include "core/PhraseTable.hpp"
#include "core/Transcode.hpp"
#include "core/UserPairs.hpp"
#include "tests/support/ShippedTables.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using Lines = std::vector<std::string>;

// The bytes of a line end (LF) in a layout, and whether bytes[at] begins one.
bool LineEndAt(const std::string& bytes, std::size_t at, const platform::LineLayout& layout) {
    if (layout.unitSize == 1) return bytes[at] == '\n';
    return at + 1 < bytes.size() && bytes[at + (layout.bigEndian ? 1 : 0)] == '\n' &&
           bytes[at + (layout.bigEndian ? 0 : 1)] == '\0';
}

// Hands out the input in runs of whole lines of about the sizes given in turn, the way the file reader does
// (a UTF-16 input's odd last byte comes with the last run); fails at the end when told to.
struct RunReader {
    std::int64_t Length() const { return static_cast<std::int64_t>(bytes.size()); }
    bool ReadLines(platform::LineRun& run) {
        if (at >= bytes.size()) return false;
        const std::size_t unit = static_cast<std::size_t>(layout.unitSize);
        std::size_t end = std::min(bytes.size(), at + sizes[next++ % sizes.size()]) / unit * unit;
        while (end < bytes.size() && (end == at || !LineEndAt(bytes, end - unit, layout))) end += unit;
        if (bytes.size() - end < unit) end = bytes.size();
        current.assign(bytes, at, end - at);
        at = end;
        run = platform::LineRun{&current[0], current.size()};
        return true;
    }
    bool Failed() const { return failAtEnd; }

    std::string bytes;
    platform::LineLayout layout;
    std::vector<std::size_t> sizes;
    bool failAtEnd = false;
    std::size_t at = 0;
    std::size_t next = 0;
    std::string current{};
};

// Keeps each line it is given, without its terminator; fails after `accept` lines.
struct LineRecorder {
    bool Put(std::string line) {
        if (lines.size() == accept) return false;
        lines.push_back(std::move(line));
        return true;
    }
    bool WriteLine(const char* line, std::size_t size) { return Put(std::string(line, size)); }
    // A line cut in pieces is kept whole; `pieces` counts the calls that cut one.
    bool WriteLines(const char* run, std::size_t size, std::int64_t& lineBytes, bool endsLine = true) {
        cut.append(run, size);
        if (!endsLine) return ++pieces, true;
        const std::string lines = std::move(cut);
        cut.clear();
        return text::ForEachLine(lines.data(), lines.size(), '\n', '\r',
                                 [&](std::size_t at, std::size_t length) {
                                     lineBytes += static_cast<std::int64_t>(length);
                                     return Put(lines.substr(at, length));
                                 });
    }
    bool WriteLines(const char16_t* units, std::size_t count, std::int64_t& lineBytes, bool endsLine = true) {
        cut16.append(units, count);
        if (!endsLine) return ++pieces, true;
        const std::u16string lines = std::move(cut16);
        cut16.clear();
        const char16_t lf = linesdetail::InFileOrder(u'\n', bigEndian);
        const char16_t cr = linesdetail::InFileOrder(u'\r', bigEndian);
        return text::ForEachLine(lines.data(), lines.size(), lf, cr, [&](std::size_t at, std::size_t length) {
            lineBytes += static_cast<std::int64_t>(length * 2);
            return Put(std::string(reinterpret_cast<const char*>(lines.data() + at), length * 2));
        });
    }
    bool Write(const char* data, std::size_t size) {
        raw.append(data, size);
        return true;
    }

    bool bigEndian = false;
    std::size_t accept = static_cast<std::size_t>(-1);
    Lines lines;
    std::string raw;
    std::string cut;
    std::u16string cut16;
    std::size_t pieces = 0;
};

// Each line of the input converted alone, as the loop converts a line when it goes line by line.
Lines ExpectedLines(const std::string& bytes, TextEncoding encoding, const CTextConversion& conversion) {
    Lines expected;
    const bool swapped = encoding == TextEncoding::Utf16Be;  // the tests run on little-endian hosts
    text::ForEachLineOf(encoding, bytes.data(), bytes.size() / UnitSize(encoding) * UnitSize(encoding),
                        [&](std::size_t at, std::size_t size) {
                            std::string line = bytes.substr(at, size);
                            if (encoding == TextEncoding::Gbk) {
                                conversion.ConvertGbk(line);
                            } else if (encoding == TextEncoding::Utf8) {
                                conversion.ConvertUtf8(line);
                            } else {
                                std::u16string units(line.size() / 2, u'\0');
                                if (!units.empty()) std::memcpy(&units[0], line.data(), line.size());
                                conversion.ConvertUtf16(units, swapped);
                                line.assign(reinterpret_cast<const char*>(units.data()), units.size() * 2);
                            }
                            expected.push_back(line);
                            return true;
                        });
    return expected;
}

class ConvertRunsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tables = testsupport::ShippedTables();
        ASSERT_EQ(PhraseLoadResult::Loaded,
                  LoadPhrases(phrases, (testsupport::ProgramFolder() / kPhraseFileName).string()));
        std::string error;
        ASSERT_TRUE(CConversionChain::Build("s2twp", phrases, tables, chain, error)) << error;
        // Lines of phrases, letters and line ends of both kinds, empty ones among them, one longer than a run
        // of the loop's (half a megabyte), and a last line without its terminator.
        const std::vector<PhraseEntry>& words = phrases.Phrases(Direction::ToTraditional);
        std::mt19937 random(11);
        while (gbk.size() < 2 * 1024 * 1024) {
            for (std::size_t k = random() % 60; k > 0; --k)
                gbk += random() % 4 ? words[random() % words.size()].phrase : "ab ";
            gbk += random() % 3 ? "\xc9\xcf\n" : "\r\n";  // 上 (U+4E0A) before some line ends
            if (random() % 50 == 0) gbk += "\n";
            if (gbk.size() > 1024 * 1024 && gbk.size() < 1030 * 1024) {
                for (int k = 0; k < 30000; ++k) gbk += words[k % words.size()].phrase;
                gbk += "\n";
            }
        }
        gbk += words[1].phrase;
    }

    std::string Input(TextEncoding encoding) const {
        if (encoding == TextEncoding::Gbk) return gbk;
        std::string out;
        text::Unwritable unwritable;
        EXPECT_TRUE(
            text::TranscodeLine(TextEncoding::Gbk, gbk.data(), gbk.size(), encoding, out, unwritable));
        if (encoding != TextEncoding::Utf8) out += '\x7f';  // half a unit at the end stays as it was
        return out;
    }

    CharTables tables;
    PhraseTables phrases;
    CConversionChain chain;
    std::string gbk;
};

TEST_F(ConvertRunsTest, RunsOfAnySizeConvertAsTheirLinesOneByOne) {
    const CTextConversion byWords(tables, Direction::ToTraditional, &phrases);
    const CTextConversion byName(tables, chain);
    for (const CTextConversion* conversion : {&byWords, &byName}) {
        for (const TextEncoding encoding :
             {TextEncoding::Gbk, TextEncoding::Utf8, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
            SCOPED_TRACE(static_cast<int>(encoding));
            ASSERT_TRUE(conversion->ConvertsRunParts(encoding));
            RunReader reader{Input(encoding), LayoutOf(encoding), {}};
            // Megabytes at once (a reader that looked ahead), then runs that cross the parts and the loop's
            // runs at odd places, down to a line at a time.
            reader.sizes = {1536 * 1024, 1, 70 * 1000, 3, 600 * 1024, 200};
            LineRecorder writer;
            writer.bigEndian = encoding == TextEncoding::Utf16Be;
            std::vector<int> positions;
            ASSERT_EQ(LinesOutcome::Done, ConvertLines(reader, writer, *conversion, encoding,
                                                       [&](int position) { positions.push_back(position); }));
            EXPECT_TRUE(writer.lines == ExpectedLines(reader.bytes, encoding, *conversion));
            EXPECT_EQ(UnitSize(encoding) == 2 ? "\x7f" : "", writer.raw);
            EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
            EXPECT_GT(positions.back(), 900);
        }
    }
}

TEST_F(ConvertRunsTest, AFailureStopsTheLoopWithWhatCameBeforeItWritten) {
    const CTextConversion byWords(tables, Direction::ToTraditional, &phrases);
    const Lines expected = ExpectedLines(gbk, TextEncoding::Gbk, byWords);
    for (const std::size_t accept :
         {std::size_t{0}, std::size_t{1}, std::size_t{5000}, expected.size() - 1}) {
        RunReader reader{gbk, LayoutOf(TextEncoding::Gbk), {100 * 1024, 900 * 1024}};
        LineRecorder writer;
        writer.accept = accept;
        EXPECT_EQ(LinesOutcome::WriteFailed,
                  ConvertLines(reader, writer, byWords, TextEncoding::Gbk, [](int) {}));
        EXPECT_TRUE(writer.lines ==
                    Lines(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(accept)));
    }
    RunReader failing{gbk, LayoutOf(TextEncoding::Gbk), {300 * 1024}, true};
    LineRecorder writer;
    EXPECT_EQ(LinesOutcome::ReadFailed,
              ConvertLines(failing, writer, byWords, TextEncoding::Gbk, [](int) {}));
    EXPECT_TRUE(writer.lines == expected);  // everything read was written
}

// With the user's pairs a run goes in parts, and a pair may make a line longer or shorter: every line is
// written whole, in every encoding.
TEST_F(ConvertRunsTest, LinesThatPairsMakeLongerOrShorterAreWrittenWhole) {
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("pairs.txt"),
                            "\xe7\xae\x80\xe4\xbd\x93\tXYZ\n\xe4\xb8\xad\xe6\x96\x87\t\xe6\x96\x87\n");
    CUserPairs pairs;  // 简体 -> XYZ (two characters become three), 中文 -> 文 (one)
    std::string error;
    ASSERT_TRUE(pairs.Load(dir.File("pairs.txt"), error)) << error;
    CTextConversion conversion(tables, Direction::ToTraditional, &phrases);
    conversion.Prefer(&pairs);
    gbk =
        "\xbc\xf2\xcc\xe5\xd6\xd0\xce\xc4\n\xd6\xd0\xce\xc4\xbc\xf2\xcc\xe5"
        "ab\r\n\xbc\xf2\xcc\xe5";
    for (const TextEncoding encoding :
         {TextEncoding::Gbk, TextEncoding::Utf8, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
        SCOPED_TRACE(static_cast<int>(encoding));
        ASSERT_TRUE(conversion.ConvertsRunParts(encoding));
        RunReader reader{Input(encoding), LayoutOf(encoding), {1 << 20}};
        LineRecorder writer;
        writer.bigEndian = encoding == TextEncoding::Utf16Be;
        ASSERT_EQ(LinesOutcome::Done, ConvertLines(reader, writer, conversion, encoding, [](int) {}));
        const Lines expected = ExpectedLines(reader.bytes, encoding, conversion);
        EXPECT_TRUE(writer.lines == expected);
        EXPECT_NE(std::string::npos,
                  writer.lines[0].find(encoding == TextEncoding::Utf16Le   ? std::string("X\0Y\0Z\0", 6)
                                       : encoding == TextEncoding::Utf16Be ? std::string("\0X\0Y\0Z", 6)
                                                                           : std::string("XYZ")));
    }
}

// A line longer than two runs of the loop's is cut inside as well, where no phrase, pair or description
// sequence reaches over the cut: the text holds "1,2", which a pair of the user's takes whole, and in
// Unicode sequences such as ⿲, 发 (发 inside one stays as it is), each of which has a place to cut in it.
TEST_F(ConvertRunsTest, ALineTooLongForAPartIsCutWhereNothingReachesOver) {
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.File("pairs.txt"), "1,2\tONE\n");
    CUserPairs pairs;
    std::string error;
    ASSERT_TRUE(pairs.Load(dir.File("pairs.txt"), error)) << error;
    const CTextConversion withPairs = CTextConversion(tables, chain).Prefer(&pairs);
    const CTextConversion byWords(tables, Direction::ToTraditional, &phrases);
    const CTextConversion byName(tables, chain);
    const std::vector<PhraseEntry>& words = phrases.Phrases(Direction::ToTraditional);
    std::mt19937 random(5);
    const char* const bits[] = {"1,2", ", ", ") ", "(1,", ",2)", "ab", "~"};  // ~: a sequence
    std::string line = "\r\n";
    while (line.size() < 1200 * 1024) {
        line += random() % 3 ? words[random() % words.size()].phrase : bits[random() % 7];
    }
    gbk = line + "\n" + words[1].phrase + "1,2\r\n\xc9\xcf";
    for (const CTextConversion* conversion : {&byWords, &byName, &withPairs}) {
        for (const TextEncoding encoding :
             {TextEncoding::Gbk, TextEncoding::Utf8, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
            SCOPED_TRACE(static_cast<int>(encoding));
            std::string bytes = Input(encoding);
            const std::string mark = UnitSize(encoding) == 1             ? "~"
                                     : encoding == TextEncoding::Utf16Le ? std::string("~\0", 2)
                                                                         : std::string("\0~", 2);
            const std::string sequence = encoding == TextEncoding::Gbk    ? ""
                                         : encoding == TextEncoding::Utf8 ? "\xe2\xbf\xb2, \xe5\x8f\x91"
                                         : encoding == TextEncoding::Utf16Le
                                             ? std::string("\xf2\x2f,\0 \0\xd1\x53", 8)
                                             : std::string("\x2f\xf2\0,\0 \x53\xd1", 8);
            for (std::size_t at = 0; (at = bytes.find(mark, at)) != std::string::npos;) {
                if (at % UnitSize(encoding) != 0) {
                    ++at;
                    continue;
                }
                bytes.replace(at, mark.size(), sequence);
                at += sequence.size();
            }
            RunReader reader{bytes, LayoutOf(encoding), {4 << 20}};
            LineRecorder writer;
            writer.bigEndian = encoding == TextEncoding::Utf16Be;
            ASSERT_EQ(LinesOutcome::Done, ConvertLines(reader, writer, *conversion, encoding, [](int) {}));
            EXPECT_TRUE(writer.lines == ExpectedLines(reader.bytes, encoding, *conversion));
            EXPECT_GT(writer.pieces, 10u);
        }
    }
}

}  // namespace
