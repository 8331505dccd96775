// OutputEncodingTest.cpp: zendrix-convert --output-encoding: the bytes, the byte order marks, web pages'
// declarations, and the files it refuses to write.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CliRun.hpp"

namespace {

using namespace clitest;  // NOLINT: the helpers are this file's vocabulary

const std::string kGbk = "\xbc\xf2\xcc\xe5\n";  // 简体
const std::string kUtf8Converted = "簡體\r\n";

TEST(CliOutputEncodingTest, EveryEncodingCanBeWrittenFromGbkWithItsMarkWhereItNeedsOne) {
    TempDir dir;
    Write(dir.path() / "in.txt", kGbk);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"utf-8", kUtf8Converted},  // no mark: the input had none
        {"utf-16le", std::string("\xff\xfe\x21\x7c\xd4\x9a\r\0\n\0", 10)},
        {"utf-16be", std::string("\xfe\xff\x7c\x21\x9a\xd4\0\r\0\n", 10)},
        {"gbk", "\xba\x86\xf3\x77\r\n"},
    };
    for (const auto& c : cases) {
        const Result run = RunConverter(
            dir.path(), {"--to-traditional", "--force", "--output-encoding", c.name, "in.txt", "out.txt"});
        EXPECT_EQ(0, run.code) << c.name << ": " << run.err;
        EXPECT_EQ(c.bytes, Read(dir.path() / "out.txt")) << c.name;
    }
    // A marked UTF-8 input keeps its mark in UTF-8 from UTF-16 too; "same" is each input's own.
    Write(dir.path() / "marked.txt", "\xef\xbb\xbf简体\n");
    Result run =
        RunConverter(dir.path(), {"--to-traditional", "--output-encoding=same", "marked.txt", "a.txt"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("\xef\xbb\xbf" + kUtf8Converted, Read(dir.path() / "a.txt"));
    Write(dir.path() / "u16.txt", std::string("\xff\xfe\x80\x7b\x53\x4f\n\0", 8));  // 简体 in UTF-16LE
    run = RunConverter(dir.path(), {"--to-traditional", "--output-encoding", "utf-8", "u16.txt", "b.txt"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("\xef\xbb\xbf" + kUtf8Converted, Read(dir.path() / "b.txt"));
    EXPECT_NE(0,
              RunConverter(dir.path(), {"--to-traditional", "--output-encoding", "latin1", "in.txt", "c.txt"})
                  .code);
}

TEST(CliOutputEncodingTest, ACharacterTheOutputCannotHoldStopsTheFileAndIsNamed) {
    TempDir dir;
    Write(dir.path() / "in.txt", "first line\n简体 ok 😀 and more\n");
    Write(dir.path() / "old.txt", "old");
    const Result run = RunConverter(
        dir.path(), {"--to-traditional", "--force", "--output-encoding", "gbk", "in.txt", "old.txt"});
    EXPECT_EQ(1, run.code);
    // The character by its code too: on Windows stderr is in the console's code page, which may lack it.
    EXPECT_NE(std::string::npos, run.err.find("line 2, column 7: ")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(" (U+1F600) cannot be written in GBK")) << run.err;
    EXPECT_EQ("old", Read(dir.path() / "old.txt"));                                   // the old output stays
    EXPECT_EQ((std::vector<std::string>{"in.txt", "old.txt"}), Listing(dir.path()));  // nothing half done

    // In a batch the file is reported and the others go on.
    fs::create_directory(dir.path() / "src");
    Write(dir.path() / "src" / "a.txt", "😀\n");
    Write(dir.path() / "src" / "b.txt", kGbk);
    const Result batch =
        RunConverter(dir.path(), {"--to-traditional", "--batch", "--output-encoding", "gbk", "src", "out"});
    EXPECT_EQ(1, batch.code);
    EXPECT_NE(std::string::npos, batch.out.find("converted 1, skipped 0, failed 1")) << batch.out;
    EXPECT_EQ(std::vector<std::string>{"b.txt"}, Listing(dir.path() / "out"));
}

TEST(CliOutputEncodingTest, AWebPagesDeclarationFollowsTheOutput) {
    TempDir dir;
    Write(
        dir.path() / "page.html",
        "<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=gbk\">\n<p>\xbc\xf2 charset=gbk stays</p>\n");
    const Result run = RunConverter(
        dir.path(), {"--to-traditional", "--verbose", "--output-encoding", "utf-8", "page.html", "out.html"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("declaration now names UTF-8")) << run.out;
    // The first declaration naming the input's encoding changes; later text keeps its words.
    EXPECT_EQ(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<meta http-equiv=\"Content-Type\" "
        "content=\"text/html; charset=gbk\">\r\n<p>簡 charset=gbk stays</p>\r\n",
        Read(dir.path() / "out.html"));
}

}  // namespace
