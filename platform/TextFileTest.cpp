// TextFileTest.cpp: the text-mode line rules of the reader and the writer.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/TextFile.hpp"
#include "tests/support/ReaderLines.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

std::vector<std::string> ReadAll(const std::string& bytes) {
    TempDir dir;
    WriteBytes(dir.File("in.txt"), bytes);
    platform::CTextReader reader;
    EXPECT_TRUE(reader.Open(dir.File("in.txt")));
    EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), reader.Length());
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(line)) lines.push_back(line);
    EXPECT_FALSE(reader.Failed());
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TextReaderTest, LineEnds) {
    EXPECT_EQ((Lines{"a", "b"}), ReadAll("a\r\nb\n"));
    EXPECT_EQ((Lines{"a", "b"}), ReadAll("a\nb"));  // the last line needs no terminator
    EXPECT_EQ((Lines{"", ""}), ReadAll("\n\r\n"));
    EXPECT_EQ((Lines{}), ReadAll(""));
    // Only the CR right before an LF goes; a lone CR and the first of two CRs are text.
    EXPECT_EQ((Lines{"a\rb", "c\r"}), ReadAll("a\rb\nc\r\r\n"));
    EXPECT_EQ((Lines{"x\r"}), ReadAll("x\r"));
}

TEST(TextReaderTest, CtrlZEndsTheInputAndNulIsText) {
    EXPECT_EQ((Lines{"a", "b"}), ReadAll("a\nb\x1a"
                                         "c\nd\n"));
    EXPECT_EQ((Lines{"a"}), ReadAll("a\n\x1a"));
    EXPECT_EQ((Lines{std::string("n\0l", 3)}), ReadAll(std::string("n\0l\n", 4)));
}

TEST(TextReaderTest, LinesLongerThanTheBufferAndTerminatorsAcrossIt) {
    const std::string longLine(1000003, 'x');
    EXPECT_EQ((Lines{longLine, "y"}), ReadAll(longLine + "\r\ny\r\n"));
    // A CR at the end of one buffer and its LF at the start of the next.
    const std::string filler(256 * 1024 - 1, 'f');
    EXPECT_EQ((Lines{filler, "z"}), ReadAll(filler + "\r\nz"));
}

// The runs ReadLines gives for bytes, checked against what every run must be.
std::vector<std::string> ReadRuns(const std::string& bytes) {
    TempDir dir;
    WriteBytes(dir.File("in.txt"), bytes);
    platform::CTextReader reader;
    EXPECT_TRUE(reader.Open(dir.File("in.txt")));
    std::vector<std::string> runs;
    platform::LineRun run;
    while (reader.ReadLines(run)) {
        EXPECT_GT(run.size, 0u);
        runs.emplace_back(run.data, run.size);
    }
    EXPECT_FALSE(reader.Failed());
    for (std::size_t k = 0; k + 1 < runs.size(); ++k) EXPECT_EQ('\n', runs[k].back()) << "run " << k;
    return runs;
}

std::string Joined(const std::vector<std::string>& runs) {
    std::string all;
    for (const std::string& run : runs) all += run;
    return all;
}

TEST(TextReaderTest, RunsOfWholeLinesHoldEveryByteUpToCtrlZ) {
    EXPECT_EQ((Lines{"a\r\nb\n"}), ReadRuns("a\r\nb\n"));
    EXPECT_EQ((Lines{"a\n", "b"}), ReadRuns("a\nb"));  // the last line, without LF, comes on its own
    EXPECT_EQ((Lines{"a\n", "b"}), ReadRuns("a\nb\x1a"
                                            "c\n"));
    EXPECT_EQ((Lines{}), ReadRuns(""));
    EXPECT_EQ((Lines{}), ReadRuns("\x1a"
                                  "a\n"));

    // Many short lines across buffer refills, a line longer than the buffer, CR LF split across a refill.
    std::string many;
    for (int k = 0; many.size() < 700 * 1024; ++k)
        many += std::string(k % 50, 'a' + k % 26) + (k % 3 ? "\n" : "\r\n");
    const std::string longLine(600 * 1024, 'x');
    const std::string filler(256 * 1024 - 1, 'f');
    for (const std::string& bytes :
         {many, many + "tail", longLine + "\r\n" + many, filler + "\r\nz\n" + longLine}) {
        const std::vector<std::string> runs = ReadRuns(bytes);
        EXPECT_EQ(bytes.size(), Joined(runs).size());
        EXPECT_TRUE(Joined(runs) == bytes);
        EXPECT_GT(runs.size(), 1u);
    }
}

TEST(TextReaderTest, ReadLineAndReadLinesShareOnePosition) {
    TempDir dir;
    WriteBytes(dir.File("in.txt"), "one\r\ntwo\nthree\n");
    platform::CTextReader reader;
    ASSERT_TRUE(reader.Open(dir.File("in.txt")));
    std::string line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ("one", line);
    platform::LineRun run;
    ASSERT_TRUE(reader.ReadLines(run));
    EXPECT_EQ("two\nthree\n", std::string(run.data, run.size));
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ("", line);
}

TEST(TextReaderTest, MissingFileOrDirectoryDoesNotOpen) {
    TempDir dir;
    platform::CTextReader reader;
    EXPECT_FALSE(reader.Open(dir.File("missing.txt")));
    EXPECT_FALSE(reader.Open(dir.path().string()));
    std::string line;
    EXPECT_FALSE(reader.ReadLine(line));
}

TEST(TextWriterTest, EveryLineEndsInCrLf) {
    TempDir dir;
    platform::CTextWriter writer;
    ASSERT_TRUE(writer.Create(dir.File("out.txt")));
    const std::string big(300 * 1024, 'b');  // larger than the buffer
    EXPECT_TRUE(writer.WriteLine("a"));
    EXPECT_TRUE(writer.WriteLine(""));
    EXPECT_TRUE(writer.WriteLine(big));
    EXPECT_TRUE(writer.WriteLine("\xb0\xa1"));
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ("a\r\n\r\n" + big + "\r\n\xb0\xa1\r\n", ReadBytes(dir.File("out.txt")));
}

TEST(TextWriterTest, CreateTruncatesAndFailsOnADirectory) {
    TempDir dir;
    WriteBytes(dir.File("out.txt"), "old contents that are longer");
    platform::CTextWriter writer;
    ASSERT_TRUE(writer.Create(dir.File("out.txt")));
    writer.WriteLine("new");
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ("new\r\n", ReadBytes(dir.File("out.txt")));
    EXPECT_FALSE(writer.Create(dir.path().string()));
}

}  // namespace

namespace {

// WriteLines must give what WriteLine gives line by line, wherever the line ends fall: CR LF and LF at every
// offset, CRs that are text, lines longer than the pieces it works in, a last line without LF; and so must a
// run written in two calls cut inside a line.
TEST(TextWriterTest, RunsOfLinesComeOutAsLineByLine) {
    TempDir dir;
    std::mt19937 random(5);
    const std::string alphabet = "ab\r\n\r\n\xb0\xa1";
    for (int round = 0; round < 60; ++round) {
        std::string run;
        const std::size_t size = round < 30 ? random() % 200 : 60000 + random() % 140000;
        while (run.size() < size) {
            run += alphabet[random() % alphabet.size()];
            if (random() % 97 == 0) run += std::string(random() % 70000, 'x');  // a long line
        }
        // Whole lines, except maybe the last.
        platform::CTextWriter lines;
        ASSERT_TRUE(lines.Create(dir.File("lines.txt")));
        std::int64_t expectedBytes = 0;
        for (const std::string& line : testsupport::ReaderLines(run)) {
            lines.WriteLine(line);
            expectedBytes += static_cast<std::int64_t>(line.size());
        }
        ASSERT_TRUE(lines.Close());
        platform::CTextWriter runs;
        ASSERT_TRUE(runs.Create(dir.File("runs.txt")));
        std::int64_t lineBytes = 0;
        ASSERT_TRUE(runs.WriteLines(run.data(), run.size(), lineBytes));
        ASSERT_TRUE(runs.Close());
        ASSERT_TRUE(ReadBytes(dir.File("lines.txt")) == ReadBytes(dir.File("runs.txt"))) << "round " << round;
        EXPECT_EQ(expectedBytes, lineBytes);
        // The same in two calls cut anywhere but inside a CR LF, the first saying that its last line goes on.
        std::size_t cut = random() % (run.size() + 1);
        if (cut > 0 && cut < run.size() && run[cut - 1] == '\r' && run[cut] == '\n') --cut;
        platform::CTextWriter pieces;
        ASSERT_TRUE(pieces.Create(dir.File("pieces.txt")));
        std::int64_t pieceBytes = 0;
        ASSERT_TRUE(pieces.WriteLines(run.data(), cut, pieceBytes, false));
        ASSERT_TRUE(pieces.WriteLines(run.data() + cut, run.size() - cut, pieceBytes));
        ASSERT_TRUE(pieces.Close());
        ASSERT_TRUE(ReadBytes(dir.File("lines.txt")) == ReadBytes(dir.File("pieces.txt")))
            << "round " << round;
        EXPECT_EQ(expectedBytes, pieceBytes);
    }
}

}  // namespace

namespace {

// Peek may look past its buffer and make the file go back to its start; Watch must then see every byte after
// the looked-at ones once, in order, and none of them again. Stops on both sides of the buffer's size, at odd
// offsets, with the lines read by runs.
TEST(TextReaderTest, PeekThenWatchSeeEveryByteOnceWhereverPeekStops) {
    TempDir dir;
    std::string bytes;
    for (int k = 0; bytes.size() < 900000; ++k) bytes += "line " + std::to_string(k) + " \xe4\xb8\xad\n";
    WriteBytes(dir.File("in.txt"), bytes);
    for (const std::size_t stopAfter : {std::size_t{1}, std::size_t{100000}, std::size_t{262144},
                                        std::size_t{300001}, std::size_t{600007}, bytes.size() + 1}) {
        SCOPED_TRACE(stopAfter);
        platform::CTextReader reader;
        ASSERT_TRUE(reader.Open(dir.File("in.txt")));
        std::string seen;
        reader.Peek([&](const char* data, std::size_t size) {
            seen.append(data, size);
            return seen.size() < stopAfter;
        });
        reader.Watch([&](const char* data, std::size_t size) { seen.append(data, size); });
        reader.SetLayout(platform::LineLayout{1, false, false});
        std::string lines;
        platform::LineRun run;
        while (reader.ReadLines(run)) lines.append(run.data, run.size);
        EXPECT_FALSE(reader.Failed());
        EXPECT_TRUE(lines == bytes);
        EXPECT_EQ(bytes.size(), seen.size());
        EXPECT_TRUE(seen == bytes);
    }
}

}  // namespace
