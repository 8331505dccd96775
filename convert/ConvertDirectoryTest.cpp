// ConvertDirectoryTest.cpp: the batch walk over real folders.
#include <gtest/gtest.h>

#include "convert/ConvertTestSupport.hpp"
#include "convert/UnixLink.hpp"
#include "platform/FileSystem.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using namespace convertsupport;
using testsupport::TempDir;
using Texts = std::vector<std::string>;

class ConvertDirectoryTest : public ::testing::Test {
  protected:
    ConvertDirectoryTest() {
        platform::MakeDirectory(src);
        platform::MakeDirectory(out);
    }
    void Dir(const std::string& relative) { ASSERT_TRUE(platform::MakeDirectory(src + "\\" + relative)); }
    void Put(const std::string& relative) { ASSERT_TRUE(WriteFileBytes(src + "\\" + relative, kSimplified)); }
    void Walk() { conversion.ConvertDirectory(src, out); }

    TempDir dir;
    std::string src = dir.File("src");
    std::string out = dir.File("out");
    CharTables tables = SmallTables();
    CRecordingHost host;
    CTablesRun conversion{tables, host};
};

TEST_F(ConvertDirectoryTest, EligibleFilesOfEveryDepthLandFlatInTheDestination) {
    Dir("sub");
    Dir("sub\\deeper");
    Put("a.txt");
    Put("sub\\b.txt");
    Put("sub\\deeper\\c.h");
    Put("sub\\pic.gif");
    Put("Makefile");
    Put("data.xyz");
    Walk();
    EXPECT_EQ((Texts{"Makefile", "a.txt", "b.txt", "c.h"}), NamesIn(out));
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(out + "\\c.h"));
    EXPECT_EQ(Texts{}, host.messages);
    EXPECT_EQ(Texts{}, host.questions);
    EXPECT_EQ(8, host.dispatches);  // after each of the 6 files and both subdirectories, eligible or not
}

TEST_F(ConvertDirectoryTest, NamesMeetingInTheDestinationAskBeforeOverwriting) {
    Dir("x");
    Dir("y");
    Put("x\\n.txt");
    Put("y\\n.txt");
    host.answer = false;
    Walk();
    EXPECT_EQ(Texts{out + "\\n.txt: This File is existed already! Do over it?"}, host.questions);
    EXPECT_EQ(Texts{"n.txt"}, NamesIn(out));
}

TEST_F(ConvertDirectoryTest, EmptySourceOrNoDirectoryDoesNothing) {
    Walk();
    conversion.ConvertDirectory(dir.File("missing"), out);
    EXPECT_EQ(Texts{}, NamesIn(out));
    EXPECT_EQ(0, host.dispatches);
    EXPECT_EQ(Texts{}, host.messages);
}

TEST_F(ConvertDirectoryTest, StopInsideASubdirectoryEndsEveryLevel) {
    Dir("sub");
    for (int i = 0; i < 10; ++i) Put("sub\\f" + std::to_string(i) + ".txt");
    host.onDispatch = [&](int count) {
        if (count == 3) conversion.OnStop();
    };
    Walk();
    EXPECT_EQ(3u, NamesIn(out).size());
    EXPECT_EQ(4, host.dispatches);  // the top level still breathes once after its subdirectory returns
}

TEST_F(ConvertDirectoryTest, FilterEditedDuringTheWalkJudgesTheRest) {
    for (int i = 0; i < 10; ++i) Put("f" + std::to_string(i) + ".txt");
    host.onDispatch = [&](int) { host.filter = "*.dat"; };
    Walk();
    EXPECT_EQ(1u, NamesIn(out).size());
    EXPECT_EQ(10, host.dispatches);
}

TEST_F(ConvertDirectoryTest, DirectoryLinkBackUpTheTreeIsNotFollowed) {
    Dir("sub");
    Put("a.txt");
    Put("sub\\b.txt");
    CUnixLink link(src + "\\sub\\up", "..");
    if (!link.Made()) GTEST_SKIP() << "needs Wine to make a Unix link";
    Walk();
    EXPECT_EQ((Texts{"a.txt", "b.txt"}), NamesIn(out));
    EXPECT_EQ(Texts{}, host.questions);
}

TEST_F(ConvertDirectoryTest, FailedFileIsReportedAndTheWalkGoesOn) {
    Put("a.txt");
    Put("b.txt");
    CUnixLink link(src + "\\mem.txt", "/proc/self/mem");
    if (!link.Made()) GTEST_SKIP() << "needs Wine to make a Unix link";
    Walk();
    EXPECT_EQ(Texts{"Read File occur Err!"}, host.messages);
    EXPECT_EQ((Texts{"a.txt", "b.txt"}), NamesIn(out));
}

TEST_F(ConvertDirectoryTest, DestinationInsideTheSourceIsNotEntered) {
    Put("a.txt");
    Put("b.txt");
    out = src + "\\out";
    ASSERT_TRUE(platform::MakeDirectory(out));
    Walk();
    Walk();  // its outputs would now be inputs, each its own target, had the walk entered the destination
    EXPECT_EQ((Texts{"a.txt", "b.txt"}), NamesIn(out));
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(out + "\\a.txt"));
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(out + "\\b.txt"));
    EXPECT_EQ(kSimplified, ReadFileBytes(src + "\\a.txt"));
    EXPECT_EQ((Texts{out + "\\a.txt" + ": This File is existed already! Do over it?",
                     out + "\\b.txt" + ": This File is existed already! Do over it?"}),
              host.questions);
    EXPECT_EQ(Texts{}, host.messages);
}

TEST_F(ConvertDirectoryTest, GbkNamesWithBackslashTrailBytes) {
    src = dir.File("") + kSui;
    ASSERT_TRUE(platform::MakeDirectory(src));
    Dir(kNorikae);
    Put(kNorikae + "\\" + kTsuta + ".txt");
    Put(kNorikae + ".txt");
    Walk();
    EXPECT_EQ((Texts{kNorikae + ".txt", kTsuta + ".txt"}), NamesIn(out));
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(out + "\\" + kTsuta + ".txt"));
}

}  // namespace

namespace {

TEST_F(ConvertDirectoryTest, FoldersThatCannotBeReadAreNamedOnceWhenTheWalkEnds) {
    // Folders that disappear after their parent was listed: the walk cannot read them when it gets there.
    Dir("gone1");
    Dir("gone2");
    Put("a.txt");
    Put("gone1\\x.txt");
    Put("gone2\\y.txt");
    host.onDispatch = [&](int count) {
        if (count != 1) return;
        for (const char* name : {"gone1", "gone2"}) {
            const std::string folder = src + "\\" + name;
            for (const std::string& file : NamesIn(folder)) platform::RemoveFile(folder + "\\" + file);
            ::RemoveDirectoryW(platform::WideFromUtf8(folder).c_str());
        }
    };
    Walk();
    ASSERT_EQ(1u, host.messages.size());
    const std::string& message = host.messages[0];
    EXPECT_EQ(0u, message.find("These folders could not be read; their files were not converted:\n"))
        << message;
    const std::size_t first = message.find(src + "\\gone");
    EXPECT_NE(std::string::npos, first) << message;
    EXPECT_NE(std::string::npos, message.find(src + "\\gone", first + 1)) << message;
}

TEST_F(ConvertDirectoryTest, EveryEncodingIsConvertedInItsOwnWithNamesOutsideGbk) {
    // 汉书 in UTF-8 with and without a byte order mark, and in UTF-16 of both byte orders.
    const std::string hanshu8 = "\xe6\xb1\x89\xe4\xb9\xa6";
    const std::string hanshu8Traditional = "\xe6\xbc\xa2\xe6\x9b\xb8";
    ASSERT_TRUE(WriteFileBytes(src + "\\u8.txt", hanshu8 + "😀\n"));
    ASSERT_TRUE(WriteFileBytes(src + "\\笔记😀.txt", "\xef\xbb\xbf" + hanshu8 + "\r\n"));
    ASSERT_TRUE(WriteFileBytes(src + "\\le.txt", std::string("\xff\xfe\x49\x6c\x66\x4e\x0a\x00", 8)));
    ASSERT_TRUE(WriteFileBytes(src + "\\be.txt", std::string("\xfe\xff\x6c\x49\x4e\x66", 6)));
    Put("g.txt");
    Walk();
    EXPECT_EQ(Texts{}, host.messages);
    EXPECT_EQ(hanshu8Traditional + "😀\r\n", ReadFileBytes(out + "\\u8.txt"));
    EXPECT_EQ("\xef\xbb\xbf" + hanshu8Traditional + "\r\n", ReadFileBytes(out + "\\笔记😀.txt"));
    EXPECT_EQ(std::string("\xff\xfe\x22\x6f\xf8\x66\x0d\x00\x0a\x00", 10), ReadFileBytes(out + "\\le.txt"));
    EXPECT_EQ(std::string("\xfe\xff\x6f\x22\x66\xf8\x00\x0d\x00\x0a", 10), ReadFileBytes(out + "\\be.txt"));
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(out + "\\g.txt"));
}

}  // namespace
