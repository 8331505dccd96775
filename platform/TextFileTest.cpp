// TextFileTest.cpp: the text-mode line rules of the reader and the writer.
#include "platform/TextFile.hpp"

#include <gtest/gtest.h>

#include <vector>

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
    EXPECT_EQ((Lines{"a", "b"}), ReadAll("a\nb\x1a" "c\nd\n"));
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
