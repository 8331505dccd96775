// ConvertFileTest.cpp: one file into another, with real files under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "convert/ConvertLines.hpp"
#include "convert/ConvertTestSupport.hpp"
#include "convert/UnixLink.hpp"
#include "platform/FileSystem.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using namespace convertsupport;
using testsupport::TempDir;

const std::string kOverwrite = ": This File is existed already! Do over it?";
using Texts = std::vector<std::string>;

class ConvertFileTest : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return dir.File("") + name; }  // GBK names too
    bool Convert(const std::string& from, const std::string& to,
                 Direction direction = Direction::ToTraditional) {
        return conversion.ConvertFile(Path(from), Path(to), direction);
    }

    TempDir dir;
    CharTables tables = SmallTables();
    CRecordingHost host;
    CTablesRun conversion{tables, host};
};

TEST_F(ConvertFileTest, LinesAreConvertedAndEndInCrLf) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {kSimplified + "\n" + kSimplified + "\r\n", kTraditional + "\r\n" + kTraditional + "\r\n"},
        {"a\rb\n\r\nlast", "a\rb\r\n\r\nlast\r\n"},  // lone CR is text; the last line gets its terminator
        {"x\r\r\n", "x\r\r\n"},
        {"a\n\x1a" + kSimplified + "\n", "a\r\n"},  // Ctrl-Z ends the input
        {"", ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFileBytes(Path("in.txt"), c.in));
        EXPECT_TRUE(Convert("in.txt", "out.txt"));
        EXPECT_EQ(c.out, ReadFileBytes(Path("out.txt")));
        platform::RemoveFile(Path("out.txt"));
    }
    ASSERT_TRUE(WriteFileBytes(Path("in.txt"), kTraditional));
    EXPECT_TRUE(Convert("in.txt", "out.txt", Direction::ToSimplified));
    EXPECT_EQ(kSimplified + "\r\n", ReadFileBytes(Path("out.txt")));
    EXPECT_EQ(Texts{}, host.messages);
    EXPECT_EQ(Texts{}, host.questions);
}

TEST_F(ConvertFileTest, TablesThatReachALineEndConvertLineByLine) {
    // A lone lead byte at the end of the table converts a lone lead byte at the end of a line, but not the
    // same byte followed by more text: in a run of lines it would be joined to the line's terminator.
    // A line of plain Chinese first, so that the file reads as GBK text at all.
    tables = CharTables{kSimplified + "\xb0", kTraditional + "q"};
    const std::string prose =
        "\xd5\xe2\xca\xc7\xd2\xbb\xd0\xd0\xc6\xd5\xcd\xa8\xb5\xc4\xd6\xd0\xce\xc4";  // 这是一行普通的中文
    const std::string lines = prose + "\n" + kSimplified + "\xb0\r\n\xb0\n\xb0\xb0" + kSimplified + "\xb0";
    ASSERT_TRUE(WriteFileBytes(Path("in.txt"), lines));
    EXPECT_TRUE(Convert("in.txt", "out.txt"));
    EXPECT_EQ(prose + "\r\n" + kTraditional + "q\r\nq\r\n\xb0\xb0" + kTraditional + "q\r\n",
              ReadFileBytes(Path("out.txt")));
}

TEST_F(ConvertFileTest, ProgressOfTenMegabytesRisesMonotonicallyAndReturnsToZero) {
    const int lines = 100000;
    const std::string line(98, 'a');
    std::string text;
    for (int i = 0; i < lines; ++i) text += line + "\r\n";
    ASSERT_TRUE(WriteFileBytes(Path("big.txt"), text));
    ASSERT_TRUE(Convert("big.txt", "out.txt"));

    // One call per change of the position, after each run of lines read together (256 KB): a thousand steps
    // at most, then the reset.
    ASSERT_GE(host.progress.size(), 10u);
    ASSERT_LE(host.progress.size(), 1001u);
    for (std::size_t i = 1; i + 1 < host.progress.size(); ++i)
        ASSERT_LT(host.progress[i - 1], host.progress[i]);
    // Terminators count toward the length only: 98 of every 100 bytes.
    EXPECT_EQ(980, host.progress[host.progress.size() - 2]);
    EXPECT_EQ(0, host.progress.back());
}

TEST(ProgressPositionTest, SixtyFourBitArithmeticAndNoDivisionByZero) {
    EXPECT_EQ(0, ProgressPosition(0, 0));
    EXPECT_EQ(0, ProgressPosition(7, 0));
    EXPECT_EQ(500, ProgressPosition(5, 10));
    EXPECT_EQ(999, ProgressPosition(9999999999, 10000000000));
    EXPECT_EQ(500, ProgressPosition(std::int64_t{1} << 60, std::int64_t{1} << 61));
    EXPECT_EQ(1000, ProgressPosition(11, 10));  // a source that yields more than its length
}

TEST_F(ConvertFileTest, ExistingDestinationIsOverwrittenOnlyAfterYes) {
    ASSERT_TRUE(WriteFileBytes(Path("in.txt"), kSimplified));
    ASSERT_TRUE(WriteFileBytes(Path("out.txt"), "keep"));
    host.answer = false;
    EXPECT_FALSE(Convert("in.txt", "out.txt"));
    EXPECT_EQ(Texts{Path("out.txt") + kOverwrite}, host.questions);
    EXPECT_EQ("keep", ReadFileBytes(Path("out.txt")));
    host.answer = true;
    EXPECT_TRUE(Convert("in.txt", "out.txt"));
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(Path("out.txt")));
    EXPECT_EQ(Texts{}, host.messages);
}

TEST_F(ConvertFileTest, MissingDestinationDirectoriesAreCreatedAlsoWithGbkNames) {
    const std::string source = Path(kNorikae + ".txt");
    ASSERT_TRUE(WriteFileBytes(source, kSimplified));
    const std::string dest = Path("new\\" + kTsuta + "\\" + kSui + ".txt");
    EXPECT_TRUE(conversion.ConvertFile(source, dest));
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(dest));
    EXPECT_EQ((Texts{"new", kNorikae + ".txt"}), NamesIn(dir.path().string()));

    ASSERT_TRUE(WriteFileBytes(Path("file"), "x"));
    EXPECT_FALSE(Convert(kNorikae + ".txt", "file\\x.txt"));
    EXPECT_EQ(Texts{"Do not Create file path!"}, host.messages);
}

// Failures that must leave every existing byte as it was and create nothing.
TEST_F(ConvertFileTest, SourceThatCannotBeOpened) {
    ASSERT_TRUE(WriteFileBytes(Path("held.txt"), kSimplified));
    ASSERT_TRUE(platform::MakeDirectory(Path("folder")));
    HANDLE other = ::CreateFileW(platform::WideFromUtf8(Path("held.txt")).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    EXPECT_FALSE(Convert("held.txt", "out1.txt"));
    ::CloseHandle(other);
    EXPECT_FALSE(Convert("missing.txt", "out2.txt"));
    EXPECT_FALSE(Convert("folder", "out3.txt"));
    EXPECT_EQ(Texts(3, "Open File occur Err!"), host.messages);
    EXPECT_EQ((Texts{"folder", "held.txt"}), NamesIn(dir.path().string()));
}

TEST_F(ConvertFileTest, DestinationThatCannotBeCreated) {
    ASSERT_TRUE(WriteFileBytes(Path("in.txt"), kSimplified));
    ASSERT_TRUE(WriteFileBytes(Path("readonly.txt"), "old"));
    ASSERT_TRUE(platform::SetAttributes(Path("readonly.txt"), platform::kAttributeReadOnly));
    ASSERT_TRUE(WriteFileBytes(Path("held.txt"), "old"));
    ASSERT_TRUE(platform::MakeDirectory(Path("folder")));
    HANDLE other = ::CreateFileW(platform::WideFromUtf8(Path("held.txt")).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    EXPECT_FALSE(Convert("in.txt", "readonly.txt"));
    EXPECT_FALSE(Convert("in.txt", "held.txt"));
    EXPECT_FALSE(Convert("in.txt", "folder"));
    ::CloseHandle(other);
    EXPECT_EQ(3u, host.questions.size());
    EXPECT_EQ(Texts(3, "Create File occur Err!"), host.messages);
    EXPECT_EQ("old", ReadFileBytes(Path("readonly.txt")));
    EXPECT_EQ("old", ReadFileBytes(Path("held.txt")));
    platform::SetAttributes(Path("readonly.txt"), platform::kAttributeNormal);
}

TEST_F(ConvertFileTest, SourceUnderAnotherSpellingIsNeverTouched) {
    const std::string source = Path("Source Long Name.txt");
    ASSERT_TRUE(WriteFileBytes(source, kSimplified));
    std::vector<std::string> spellings = {Path("SOURCE LONG NAME.TXT"), Path("x\\..\\Source Long Name.txt")};
    wchar_t shortName[MAX_PATH];
    const DWORD length = ::GetShortPathNameW(platform::WideFromUtf8(source).c_str(), shortName, MAX_PATH);
    if (length > 0 && length < MAX_PATH && platform::Utf8FromWide(shortName) != source) {
        spellings.push_back(platform::Utf8FromWide(shortName));
    }
    const std::string saved = platform::CurrentDirectory();
    ASSERT_TRUE(platform::ChangeDirectory(dir.path().string()));
    spellings.push_back("source long name.txt");
    for (const std::string& dest : spellings) {
        EXPECT_FALSE(conversion.ConvertFile(source, dest)) << dest;
        EXPECT_EQ(kSimplified, ReadFileBytes(source)) << dest;
    }
    platform::ChangeDirectory(saved);
    EXPECT_EQ(spellings.size(), host.questions.size());
    EXPECT_EQ(Texts(spellings.size(), "Create File occur Err!"), host.messages);
    EXPECT_GE(spellings.size(), 4u) << "no short name to try";
}

TEST_F(ConvertFileTest, ReadFailureLeavesNoFileAndKeepsTheOldDestination) {
    // Reading the process's own memory file from offset 0 fails.
    CUnixLink link(Path("mem.txt"), "/proc/self/mem");
    if (!link.Made()) GTEST_SKIP() << "needs Wine to make a Unix link";
    EXPECT_FALSE(Convert("mem.txt", "out.txt"));
    EXPECT_EQ(Texts{"Read File occur Err!"}, host.messages);
    EXPECT_EQ(Texts{"mem.txt"}, NamesIn(dir.path().string()));
    ASSERT_FALSE(host.progress.empty());
    EXPECT_EQ(0, host.progress.back());

    // Yes to replacing an older output, then the failure: the older output is still all there.
    ASSERT_TRUE(WriteFileBytes(Path("out.txt"), "older"));
    EXPECT_FALSE(Convert("mem.txt", "out.txt"));
    EXPECT_EQ((Texts{"Read File occur Err!", "Read File occur Err!"}), host.messages);
    EXPECT_EQ(Texts{Path("out.txt") + kOverwrite}, host.questions);
    EXPECT_EQ("older", ReadFileBytes(Path("out.txt")));
    EXPECT_EQ((Texts{"mem.txt", "out.txt"}), NamesIn(dir.path().string()));
}

TEST_F(ConvertFileTest, SourceThatReportsNoLengthStillConverts) {
    CUnixLink link(Path("status.txt"), "/proc/self/status");  // length 0, yet full of lines
    if (!link.Made()) GTEST_SKIP() << "needs Wine to make a Unix link";
    EXPECT_TRUE(Convert("status.txt", "out.txt"));
    EXPECT_NE(std::string::npos, ReadFileBytes(Path("out.txt")).find("Pid:"));
    EXPECT_EQ(std::vector<int>(host.progress.size(), 0), host.progress);
    EXPECT_EQ(Texts{}, host.messages);
}

// A line source and sink that fail on demand: a full disk cannot be staged safely under Wine.
struct ScriptedReader {
    std::int64_t Length() const { return 100; }
    // One line per run, with its LF.
    bool ReadLines(platform::LineRun& run) {
        if (next == lines.size()) return false;
        current = lines[next++] + "\n";
        run = platform::LineRun{&current[0], current.size()};
        return true;
    }
    bool Failed() const { return failAtEnd; }
    Texts lines;
    std::size_t next = 0;
    bool failAtEnd = false;
    std::string current{};
};
struct ScriptedWriter {
    bool WriteLine(const char* line, std::size_t size) {
        if (written.size() == acceptLines) return false;
        written.emplace_back(line, size);
        return true;
    }
    bool Write(const char*, std::size_t) { return true; }
    // Line by line, so that a failure can come in the middle of a run; a line cut in pieces whole.
    bool WriteLines(const char* run, std::size_t size, std::int64_t& lineBytes, bool endsLine = true) {
        cut.append(run, size);
        if (!endsLine) return true;
        const std::string lines = std::move(cut);
        cut.clear();
        return text::ForEachLine(lines.data(), lines.size(), '\n', '\r',
                                 [&](std::size_t at, std::size_t length) {
                                     lineBytes += static_cast<std::int64_t>(length);
                                     return WriteLine(lines.data() + at, length);
                                 });
    }
    bool WriteLines(const char16_t*, std::size_t, std::int64_t&, bool = true) { return false; }
    std::string cut;
    Texts written;
    std::size_t acceptLines = 100;
};

TEST(ConvertLinesTest, StopsAtTheFirstReadOrWriteFailure) {
    const CharTables tables = SmallTables();
    const CTextConversion conversion(tables, Direction::ToTraditional);
    const TextEncoding gbk = TextEncoding::Gbk;
    std::vector<int> positions;
    auto record = [&](int position) { positions.push_back(position); };

    ScriptedReader reader{{kSimplified, "b", "c"}};
    ScriptedWriter writer;
    writer.acceptLines = 1;
    EXPECT_EQ(LinesOutcome::WriteFailed, ConvertLines(reader, writer, conversion, gbk, record));
    EXPECT_EQ(Texts{kTraditional}, writer.written);
    EXPECT_EQ(2u, reader.next);  // nothing read after the failed line
    EXPECT_EQ(std::vector<int>{40}, positions);

    ScriptedReader failing{{"a"}, 0, true};
    ScriptedWriter all;
    EXPECT_EQ(LinesOutcome::ReadFailed, ConvertLines(failing, all, conversion, gbk, record));
    ScriptedReader fine{{"a"}};
    EXPECT_EQ(LinesOutcome::Done, ConvertLines(fine, all, conversion, gbk, record));
}

}  // namespace
