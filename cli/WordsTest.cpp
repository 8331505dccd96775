// WordsTest.cpp: zendrix-convert by words: the review list, and a phrase file that is missing or damaged.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CliRun.hpp"
#include "core/Utf8.hpp"
#include "tests/support/GbkText.hpp"

namespace {

using namespace clitest;  // NOLINT: the helpers are this file's vocabulary
namespace fs = std::filesystem;

TEST(CliWordsTest, TheReviewListNamesWhatNoPhraseDecidedInEveryEncoding) {
    TempDir dir;
    const std::string utf8 = Read(kGolden / "input" / "words.txt");
    std::string expected = Read(kGolden / "expected" / "words.review-phrases.txt");
#ifdef _WIN32
    // Written to a file, not a console, the list is in the code page the program's messages have always had.
    expected = testsupport::GbkOf(platform::WideFromUtf8(expected));
#endif
    // The same text in UTF-8, in UTF-16LE with its mark (columns count characters, not bytes), and on stdin.
    Write(dir.path() / "in.txt", utf8);
    Result run = RunConverter(dir.path(), {"--to-traditional", "--phrases", "--review", "in.txt"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(expected, run.out);
    std::u16string units = u"\xFEFF";
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        i += static_cast<std::size_t>(
            utf8::DecodeOne(reinterpret_cast<const unsigned char*>(utf8.data()) + i, utf8.size() - i, cp));
        units += static_cast<char16_t>(cp);
    }
    Write(dir.path() / "in.txt", std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2));
    run = RunConverter(dir.path(), {"--to-traditional", "--phrases", "--review", "in.txt"});
    EXPECT_EQ(expected, run.out);
    EXPECT_TRUE(fs::exists(dir.path() / "in.txt"));
    EXPECT_EQ(1u, Listing(dir.path()).size());  // nothing written

    // Without --phrases every character with several forms counts: far more places, those above among them.
    Write(dir.path() / "in.txt", utf8);
    run = RunConverter(dir.path(), {"--to-traditional", "--review", "in.txt"});
    EXPECT_EQ(0, run.code) << run.err;
    for (std::string line : {std::string("in.txt:1:2: 发 -> 發 (also 髮)\n"),
                             std::string("in.txt:4:4: 里 -> 裏 (also 里 哩)\n")}) {
#ifdef _WIN32
        line = testsupport::GbkOf(platform::WideFromUtf8(line));
#endif
        EXPECT_NE(std::string::npos, run.out.find(line)) << run.out;
    }

    // The user's pairs decide what they cover, and the text between them is a text of its own: with 头 -> 首
    // the 发 of 头发 is no phrase's any more but the table's; with 头发 -> 秀髮 it is the pair's.
    Write(dir.path() / "in.txt", "头发很长，发现了\n");
    Write(dir.path() / "head.txt", "头\t首\n");
    Write(dir.path() / "hair.txt", "头发\t秀髮\n");
    run = RunConverter(dir.path(),
                       {"--to-traditional", "--phrases", "--dict", "head.txt", "--review", "in.txt"});
    const Result hair =
        RunConverter(dir.path(), {"--to-traditional", "--dict", "hair.txt", "--review", "in.txt"});
    EXPECT_EQ(0, run.code + hair.code) << run.err << hair.err;
    EXPECT_NE(std::string::npos, run.out.find("in.txt:1:2:")) << run.out;
    EXPECT_EQ(std::string::npos, run.out.find("in.txt:1:6:")) << run.out;  // 发现, a phrase
    EXPECT_EQ(std::string::npos, hair.out.find("in.txt:1:2:")) << hair.out;
    EXPECT_NE(std::string::npos, hair.out.find("in.txt:1:6:")) << hair.out;
}

TEST(CliWordsTest, AMissingOrDamagedPhraseFileIsBadUseAndWritesNothing) {
    TempDir dir;
    Write(dir.path() / "in.txt", "头发\n");
    Write(dir.path() / "broken.txt", Read(kGolden / ".." / ".." / "data" / "Runewords.txt").substr(0, 5000));
    for (const auto& [file, says] :
         {std::pair<std::string, std::string>{"missing.txt", "cannot open the phrase file"},
          {"broken.txt", "is not a Zendrix phrase file, or it is damaged"}}) {
        const Result run =
            RunConverter(dir.path(), {"--to-traditional", "--phrase-file", file, "in.txt", "out.txt"});
        EXPECT_EQ(2, run.code);
        EXPECT_NE(std::string::npos, run.err.find(says)) << run.err;
        EXPECT_FALSE(fs::exists(dir.path() / "out.txt"));
    }
}

TEST(CliWordsTest, ConfigNamesAConversionOfOpenCCAndStandsAlone) {
    TempDir dir;
    Write(dir.path() / "in.txt", "鼠标和软件为了\n");
    Result run = RunConverter(dir.path(), {"--config", "s2twp", "in.txt", "tw.txt"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("滑鼠和軟體為了\r\n", Read(dir.path() / "tw.txt"));
    run = RunConverter(dir.path(), {"--config=tw2sp.json", "tw.txt", "back.txt"});  // OpenCC's file name
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("鼠标和软件为了\r\n", Read(dir.path() / "back.txt"));
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--config", "s2twp", "--to-traditional", "in.txt", "x.txt"},
          {"--config", "s2t", "--phrases", "in.txt", "x.txt"},
          {"--config", "s2t", "--review", "in.txt"},
          {"--config", "s2x", "in.txt", "x.txt"},
          {"--config", "s2t", "--phrase-file", "missing.txt", "in.txt", "x.txt"}}) {
        run = RunConverter(dir.path(), args);
        EXPECT_EQ(2, run.code) << args[2];
        EXPECT_FALSE(run.err.empty());
        EXPECT_FALSE(fs::exists(dir.path() / "x.txt"));
    }
    EXPECT_NE(std::string::npos,
              RunConverter(dir.path(), {"--config", "s2x", "in.txt", "x.txt"}).err.find("hk2sp"));
}

// Taiwan's forms are Big5's: a GBK file converted for Taiwan is written in Big5 whole, where the standard
// forms (爲, 着, 啓, 衆) are refused.
TEST(CliWordsTest, TaiwanConversionsCanBeWrittenInBig5) {
    TempDir dir;
    Write(dir.path() / "in.txt", testsupport::GbkOf(L"因为这里的软件着重于内存，启动了众多线程。\n"));
    for (const char* config : {"s2tw", "s2twp"}) {
        const Result run = RunConverter(
            dir.path(), {"--config", config, "--output-encoding", "big5", "--force", "in.txt", "tw.txt"});
        EXPECT_EQ(0, run.code) << config << run.err;
    }
    // Read back from Big5 and converted back, the text is the original.
    EXPECT_EQ(
        0, RunConverter(dir.path(), {"--config", "tw2sp", "--output-encoding", "utf-8", "tw.txt", "back.txt"})
               .code);
    EXPECT_EQ("因为这里的软件着重于内存，启动了众多线程。\r\n", Read(dir.path() / "back.txt"));
    const Result standard =
        RunConverter(dir.path(), {"--config", "s2t", "--output-encoding", "big5", "in.txt", "t.txt"});
    EXPECT_EQ(1, standard.code);
    EXPECT_NE(std::string::npos, standard.err.find("U+7232")) << standard.err;  // 爲
    EXPECT_FALSE(fs::exists(dir.path() / "t.txt"));
}

// --dict: the user's own pairs win, at the longest, over phrases and characters, in every mode; a line that
// is no pair, or gives a FROM a second TO, names the file and the line, and nothing is written.
TEST(CliWordsTest, TheUsersOwnPairsWinAndABadLineIsNamed) {
    TempDir dir;
    Write(dir.path() / "in.txt", "张三的头发和软件\n");
    Write(dir.path() / "mine.txt",
          "# names first\n张三\t張叄\n\n头\t首  # a character too\n头发\t秀髮\n"
          "张三\t張叄  # the same pair again: harmless\n");
    Result run = RunConverter(dir.path(), {"--to-traditional", "--dict", "mine.txt", "in.txt", "a.txt"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("張叄的秀髮和軟件\r\n", Read(dir.path() / "a.txt"));  // 头发 is the longest pair there
    run = RunConverter(dir.path(), {"--config", "s2twp", "--dict=mine.txt", "in.txt", "b.txt"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("張叄的秀髮和軟體\r\n", Read(dir.path() / "b.txt"));
    for (const auto& [bad, line] : {std::pair<std::string, std::string>{"张三\n", "line 1"},
                                    {"# ok\n张三\t張\t叄\n", "line 2"},
                                    {"\t张\n", "line 1"},
                                    {"😀\t张\n", "line 1"},
                                    // a FROM given a second TO: the first line of the file that does it
                                    {"头发\t秀髮\n张三\t張叄\n头\t首\n张三\t張叄\n头发\t頭髮\n头\t頭\n",
                                     "line 5: its FROM is at line 1"}}) {
        Write(dir.path() / "bad.txt", bad);
        run = RunConverter(dir.path(), {"--to-traditional", "--dict", "bad.txt", "in.txt", "c.txt"});
        EXPECT_EQ(2, run.code) << bad;
        EXPECT_NE(std::string::npos, run.err.find("bad.txt, " + line)) << run.err;
        EXPECT_FALSE(fs::exists(dir.path() / "c.txt"));
    }
#ifndef _WIN32
    // Beyond the 32-bit offsets of the index (a sparse file): refused before it is read.
    fs::resize_file(dir.path() / "bad.txt", 3LL << 30);
    run = RunConverter(dir.path(), {"--to-traditional", "--dict", "bad.txt", "in.txt", "c.txt"});
    EXPECT_EQ(2, run.code);
    EXPECT_NE(std::string::npos, run.err.find("bad.txt: too large")) << run.err;
#endif
}

}  // namespace
