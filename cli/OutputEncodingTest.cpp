// OutputEncodingTest.cpp: zendrix-convert --output-encoding: the bytes, the byte order marks, web pages'
// declarations, and the files it refuses to write.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CliRun.hpp"
#include "core/Transcode.hpp"

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

// Big5 lacks the standard forms 爲 and 着 that Taiwan writes 為 and 著: said where the conversion wrote such
// a form, and only there (a Simplified character, or one the Taiwan conversion keeps, is simply not in Big5).
TEST(CliOutputEncodingTest, TheAdviceOnBig5IsGivenWhereItHelps) {
    TempDir dir;
    Write(dir.path() / "s.txt", "\xe4\xb8\xba\n");              // 为: 爲 by s2t
    Write(dir.path() / "t.txt", "\xe9\xa0\xad\xe9\xab\xae\n");  // 頭髮: 头发 by tw2sp
    Write(dir.path() / "k.txt", "\xe4\xb8\x82\n");              // 丂, in GBK, not in Big5, kept by s2tw
    const std::string advice = "(Big5 holds Taiwan's forms";
    const std::pair<std::string, std::string> runs[] = {
        {"s2t", "s.txt"}, {"tw2sp", "t.txt"}, {"s2tw", "k.txt"}};
    for (const auto& [config, input] : runs) {
        const Result run =
            RunConverter(dir.path(), {"--config", config, "--output-encoding", "big5", input, "out.txt"});
        EXPECT_EQ(1, run.code) << config;
        EXPECT_NE(std::string::npos, run.err.find("cannot be written in Big5")) << run.err;
        EXPECT_EQ(config == "s2t", run.err.find(advice) != std::string::npos) << run.err;
    }
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

namespace {

std::string In(TextEncoding encoding, const std::string& utf8Text) {
    std::string out;
    text::Unwritable unwritable;
    EXPECT_TRUE(
        text::TranscodeLine(TextEncoding::Utf8, utf8Text.data(), utf8Text.size(), encoding, out, unwritable));
    return out;
}

// A Big5 file converts as its text does in UTF-8, written in Big5, or in GBK when made Simplified; a file in
// another code page is named and left alone, in a batch among the others.
TEST(CliBig5Test, Big5ConvertsAsItsTextAndOtherCodePagesAreLeftAlone) {
    TempDir dir;
    const std::string text =
        "這是一個測試檔案，用來確認程式能正確讀取繁體中文的內容。\n我們希望轉換後的結果與預期相同，沒有任何錯"
        "誤。\n";
    Write(dir.path() / "big5.txt", In(TextEncoding::Big5, text));
    Write(dir.path() / "utf8.txt", text);
    for (const std::string direction : {"--to-simplified", "--to-traditional"}) {
        ASSERT_EQ(0, RunConverter(dir.path(), {direction, "--force", "utf8.txt", "u.txt"}).code);
        const Result run = RunConverter(dir.path(), {direction, "--force", "--verbose", "big5.txt", "b.txt"});
        EXPECT_EQ(0, run.code) << run.err;
        const bool simplified = direction == "--to-simplified";
        EXPECT_NE(std::string::npos, run.out.find(simplified ? "(Big5 -> GBK)" : "(Big5)")) << run.out;
        EXPECT_EQ(In(simplified ? TextEncoding::Gbk : TextEncoding::Big5, Read(dir.path() / "u.txt")),
                  Read(dir.path() / "b.txt"))
            << direction;
    }
    // Russian in Windows-1251: not recognised, nothing written, exit code 3; in a batch, counted and named.
    const std::string russian =
        "\xcd\xe5 \xf3\xe4\xe0\xeb\xee\xf1\xfc \xee\xf2\xea\xf0\xfb\xf2\xfc \xf4\xe0\xe9\xeb: "
        "\xe4\xee\xf1\xf2\xf3"
        "\xef \xe7\xe0\xef\xf0\xe5\xf9\xb8\xed. \xcf\xee\xef\xf0\xee\xe1\xf3\xe9\xf2\xe5 \xe5\xf9\xb8 "
        "\xf0\xe0\xe7 "
        "\xef\xee\xe7\xe6\xe5, \xef\xee\xe6\xe0\xeb\xf3\xe9\xf1\xf2\xe0.\n";
    Write(dir.path() / "ru.txt", russian);
    Result run = RunConverter(dir.path(), {"--to-traditional", "ru.txt", "r.txt"});
    EXPECT_EQ(3, run.code);
    EXPECT_NE(std::string::npos, run.err.find("cannot tell the encoding of 'ru.txt'")) << run.err;
    EXPECT_FALSE(fs::exists(dir.path() / "r.txt"));
    fs::create_directory(dir.path() / "src");
    for (const char* name : {"big5.txt", "utf8.txt", "ru.txt"})
        fs::copy_file(dir.path() / name, dir.path() / "src" / name);
    run = RunConverter(dir.path(), {"--to-simplified", "--batch", "src", "out"});
    EXPECT_EQ(3, run.code) << run.err;
    EXPECT_NE(std::string::npos, run.out.find("converted 2, skipped 0, failed 0, not recognised 1"))
        << run.out;
    EXPECT_NE(std::string::npos, run.err.find("ru.txt")) << run.err;
    EXPECT_EQ((std::vector<std::string>{"big5.txt", "utf8.txt"}), Listing(dir.path() / "out"));
    EXPECT_EQ(russian, Read(dir.path() / "src" / "ru.txt"));
}

// By words and by name a Big5 file goes in parts as GBK, several at once; a part with a character GBK lacks
// (‧, common in Taiwan's text) goes line by line through UTF-8 instead, each line keeping its own line end.
// Either way it converts as its text does in UTF-8: megabytes of it, the ‧ in a few places only.
TEST(CliBig5Test, Big5ByWordsConvertsAsItsTextWhereverGbkLacksACharacter) {
    TempDir dir;
    std::string text;
    for (int line = 0; text.size() < 3 * 1024 * 1024; ++line) {
        text += line % 7 == 0 ? "我們的軟體與記憶體，" : "這是一個測試檔案，";
        text += line == 5000    ? "哈利‧波特。\r\r\n"
                : line == 41000 ? "哈利‧波特。\n"
                                : "確認程式能正確讀取內容。\r\n";
    }
    Write(dir.path() / "big5.txt", In(TextEncoding::Big5, text));
    Write(dir.path() / "utf8.txt", text);
    using Args = std::vector<std::string>;
    for (const Args& how : {Args{"--to-traditional", "--phrases"}, Args{"--config", "tw2t"}}) {
        Args utf8 = how;
        Args big5 = how;
        for (const char* arg : {"--force", "utf8.txt", "u.txt"}) utf8.push_back(arg);
        for (const char* arg : {"--force", "big5.txt", "b.txt"}) big5.push_back(arg);
        ASSERT_EQ(0, RunConverter(dir.path(), utf8).code);
        const Result run = RunConverter(dir.path(), big5);
        ASSERT_EQ(0, run.code) << run.err;
        EXPECT_TRUE(In(TextEncoding::Big5, Read(dir.path() / "u.txt")) == Read(dir.path() / "b.txt"))
            << how[1];
    }
}

}  // namespace
