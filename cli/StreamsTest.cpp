// StreamsTest.cpp: zendrix-convert with standard input and output, forced and found encodings, 0x1A notices
// and --version.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CliRun.hpp"
#include "res/Version.h"

namespace {

using namespace clitest;  // NOLINT: the helpers are this file's vocabulary
namespace fs = std::filesystem;

const std::string kGbk = "\xbc\xf2\xcc\xe5\n";             // 简体
const std::string kGbkConverted = "\xba\x86\xf3\x77\r\n";  // 簡體
const std::string kUtf8 = "简体😀\n";
const std::string kUtf8Converted = "簡體😀\r\n";

TEST(CliStreamsTest, StandardInputAndOutputWorkBothWaysWithTheEncodingFound) {
    TempDir dir;
    const std::vector<std::string> tt{"--to-traditional", "--verbose"};
    for (const auto& [input, output] : {std::pair{kGbk, kGbkConverted}, std::pair{kUtf8, kUtf8Converted}}) {
        std::vector<std::string> args = tt;
        args.insert(args.end(), {"-", "-"});
        Result run = RunConverter(dir.path(), args, 0, input);
        EXPECT_EQ(0, run.code) << run.err;
        EXPECT_EQ(output, run.out);  // the converted text only: the --verbose line goes to stderr here
        EXPECT_NE(std::string::npos, run.err.find(input == kGbk ? "(GBK)" : "(UTF-8)")) << run.err;

        args = tt;
        args.insert(args.end(), {"-", "out.txt"});
        run = RunConverter(dir.path(), args, 0, input);
        EXPECT_EQ(0, run.code) << run.err;
        EXPECT_EQ(output, Read(dir.path() / "out.txt"));
        fs::remove(dir.path() / "out.txt");

        Write(dir.path() / "in.txt", input);
        run = RunConverter(dir.path(), {"--to-traditional", "in.txt", "-"});
        EXPECT_EQ(0, run.code) << run.err;
        EXPECT_EQ(output, run.out);
    }
}

TEST(CliStreamsTest, AForcedEncodingIsTakenAsGiven) {
    TempDir dir;
    // UTF-16LE without a byte order mark is never guessed; said, it converts. UTF-8 said to be GBK converts
    // its bytes as GBK pairs, as the program did before it knew UTF-8.
    const std::string utf16 = std::string("\x80\x7b\x53\x4f\x0a\x00", 6);  // 简体 LF
    Write(dir.path() / "in16.txt", utf16);
    Result run =
        RunConverter(dir.path(), {"--to-traditional", "--encoding", "utf-16le", "in16.txt", "out16.txt"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(std::string("\x21\x7c\xd4\x9a\x0d\x00\x0a\x00", 8),
              Read(dir.path() / "out16.txt"));  // 簡體 CR LF

    Write(dir.path() / "in8.txt", "\xc3\xa9\n");  // é in UTF-8, and a GBK pair that no table entry lists
    run =
        RunConverter(dir.path(), {"--to-traditional", "--encoding=GBK", "--verbose", "in8.txt", "out8.txt"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("converted in8.txt -> out8.txt (GBK)\n", run.out);
    EXPECT_EQ("\xc3\xa9\r\n", Read(dir.path() / "out8.txt"));
}

TEST(CliStreamsTest, A0x1AByteWithTextAfterItIsReportedAndCounted) {
    TempDir dir;
    fs::create_directory(dir.path() / "src");
    Write(dir.path() / "src" / "cut.txt",
          "ab\x1a"
          "cd");
    Write(dir.path() / "src" / "end.txt", "ab\x1a");  // the old end-of-file mark: nothing to say
    Result run = RunConverter(dir.path(), {"--to-traditional", "--batch", "src", "out"});
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ("converted 2, skipped 0, failed 0, truncated 1\n", run.out);
    EXPECT_NE(
        std::string::npos,
        run.err.find("cut.txt': a 0x1A byte at offset 2 ends the GBK text; the 2 bytes after it were not "
                     "converted"))
        << run.err;
    EXPECT_EQ(std::string::npos, run.err.find("end.txt")) << run.err;
    EXPECT_EQ("ab\r\n", Read(dir.path() / "out" / "cut.txt"));

    run = RunConverter(dir.path(), {"--to-traditional", "-", "-"}, 0,
                       "ab\x1a"
                       "cde");
    EXPECT_EQ(0, run.code);
    EXPECT_EQ("ab\r\n", run.out);
    EXPECT_NE(std::string::npos,
              run.err.find("standard input: a 0x1A byte at offset 2 ends the GBK text; the 3"))
        << run.err;
}

TEST(CliStreamsTest, VersionComesFromTheVersionRecord) {
    TempDir dir;
    const Result run = RunConverter(dir.path(), {"--version"});
    EXPECT_EQ(0, run.code);
    EXPECT_EQ(std::string("zendrix-convert ") + ZENDRIX_VERSION_TEXT + "\n", run.out);
}

}  // namespace

namespace {

TEST(CliStreamsTest, AFileThatStopsBeingUtf8LateIsNoUtf8AndNoGbkEither) {
    // Far more than one buffer of UTF-8 Chinese, so that it is converted as UTF-8 before its end is seen;
    // then a byte that UTF-8 does not have, or a character cut short by the end. Read as GBK or Big5 its
    // bytes are no Chinese: nothing is written. By words and by name the threads that convert the text find
    // that out, not the reader.
    std::string utf8;
    while (utf8.size() < 600 * 1024) utf8 += "简体中文的文字，转换为繁体。\n";
    TempDir dir;
    using Args = std::vector<std::string>;
    for (const Args& how :
         {Args{"--to-traditional"}, Args{"--to-traditional", "--phrases"}, Args{"--config", "s2twp"}}) {
        const auto with = [&how](Args args) {
            args.insert(args.begin(), how.begin(), how.end());
            return args;
        };
        for (const char* end : {"", "\xff\n", "\xe4\xb8"}) {
            SCOPED_TRACE(how.back() + (*end ? " broken" : ""));
            const bool broken = *end != '\0';
            const std::string input = utf8 + end;
            Write(dir.path() / "in.txt", input);
            Result run = RunConverter(dir.path(), with({"--verbose", "in.txt", "auto.txt"}));
            if (broken) {
                EXPECT_EQ(3, run.code);
                EXPECT_NE(std::string::npos, run.err.find("cannot tell the encoding of 'in.txt'")) << run.err;
                EXPECT_FALSE(fs::exists(dir.path() / "auto.txt"));
                EXPECT_EQ(3, RunConverter(dir.path(), with({"-", "-"}), 0, input).code);
                run =
                    RunConverter(dir.path(), with({"--verbose", "--encoding", "gbk", "in.txt", "auto.txt"}));
            }
            ASSERT_EQ(0, run.code) << run.err;
            EXPECT_NE(std::string::npos, run.out.find(broken ? "(GBK)" : "(UTF-8)")) << run.out;
            const std::string forced = broken ? "gbk" : "utf-8";
            run = RunConverter(dir.path(), with({"--encoding", forced, "in.txt", "forced.txt"}));
            ASSERT_EQ(0, run.code) << run.err;
            EXPECT_TRUE(Read(dir.path() / "auto.txt") == Read(dir.path() / "forced.txt")) << forced;
            // Through standard input, which cannot go back, the same.
            if (!broken) {
                run = RunConverter(dir.path(), with({"-", "-"}), 0, input);
                EXPECT_TRUE(run.out == Read(dir.path() / "forced.txt")) << forced;
            }
            fs::remove(dir.path() / "auto.txt");
            fs::remove(dir.path() / "forced.txt");
        }
    }
}

}  // namespace

namespace {

// A UTF-8 file that is ASCII beyond the reader's first buffer and Chinese after it: the detection must see
// each byte once however the look-ahead refills its buffer, and find UTF-8 whatever the offset at which it
// stops looking (the Chinese starts at three offsets, so that a character is cut at every place).
TEST(CliStreamsTest, Utf8AfterALongAsciiStartIsFoundAsUtf8) {
    TempDir dir;
    std::string chinese;
    while (chinese.size() < 600000) chinese += "简体中文的文字，转换为繁体。\n";
    using Args = std::vector<std::string>;
    // By words the threads that convert the text check it, from where the detection stopped looking.
    for (const Args& how : {Args{"--to-traditional"}, Args{"--to-traditional", "--phrases"}}) {
        const auto with = [&how](Args args) {
            args.insert(args.begin(), how.begin(), how.end());
            return args;
        };
        for (const std::size_t ascii : {300000, 300001, 300002}) {
            SCOPED_TRACE(how.back() + " " + std::to_string(ascii));
            const std::string input = std::string(ascii - 1, 'a') + "\n" + chinese;
            Write(dir.path() / "in.txt", input);
            Result run = RunConverter(dir.path(), with({"--verbose", "in.txt", "auto.txt"}));
            ASSERT_EQ(0, run.code) << run.err;
            EXPECT_NE(std::string::npos, run.out.find("(UTF-8)")) << run.out;
            run = RunConverter(dir.path(), with({"--encoding", "utf-8", "in.txt", "forced.txt"}));
            ASSERT_EQ(0, run.code) << run.err;
            EXPECT_TRUE(Read(dir.path() / "auto.txt") == Read(dir.path() / "forced.txt"));
            fs::remove(dir.path() / "auto.txt");
            fs::remove(dir.path() / "forced.txt");
        }
    }
}

}  // namespace

namespace {

std::string Utf8Text(std::size_t size) {
    std::string text;
    while (text.size() < size) text += "简体中文的文字，转换为繁体。\n";
    return text;
}

// Standard output cannot be taken back: a file that stops being UTF-8 near its end is decided before anything
// is written to it, exactly as into a file: here it is in no encoding the program knows, so neither gets a
// byte (the UTF-8 attempt once went out first).
TEST(CliStreamsTest, AFileDecidedLateGoesToStandardOutputOnce) {
    TempDir dir;
    const std::string input = Utf8Text(600 * 1024) + "\xff";
    Write(dir.path() / "in.txt", input);
    const Result file = RunConverter(dir.path(), {"--to-traditional", "in.txt", "out.txt"});
    const Result run = RunConverter(dir.path(), {"--to-traditional", "in.txt", "-"});
    EXPECT_EQ(file.code, run.code) << run.err;
    EXPECT_NE(0, run.code);
    EXPECT_FALSE(fs::exists(dir.path() / "out.txt"));
    EXPECT_EQ(0u, run.out.size());
}

// A stream is decided on its first 4 MB and then streamed in bounded memory: UTF-8 that turns invalid later
// stays UTF-8, its stray byte passed unchanged, as in any UTF-8 file; a stream shorter than the look-ahead is
// decided on all of it, as before.
TEST(CliStreamsTest, StandardInputIsDecidedOnItsBeginningAndStreamed) {
    TempDir dir;
    const std::string input = Utf8Text(5 * 1024 * 1024) + "\xff\n" + Utf8Text(1000);
    Write(dir.path() / "in.txt", input);
    Result run = RunConverter(dir.path(), {"--to-traditional", "--encoding", "utf-8", "in.txt", "utf8.txt"});
    ASSERT_EQ(0, run.code) << run.err;
    run = RunConverter(dir.path(), {"--to-traditional", "--verbose", "-", "-"}, 0, input);
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("(UTF-8)")) << run.err;
    EXPECT_TRUE(Read(dir.path() / "utf8.txt") == run.out);
    // All ASCII through the look-ahead: UTF-8, so that the Chinese after it is not read as GBK pairs.
    const std::string ascii = std::string(4 * 1024 * 1024 + 10, 'a') + "\n" + Utf8Text(1000);
    Write(dir.path() / "ascii.txt", ascii);
    run = RunConverter(dir.path(), {"--to-traditional", "--encoding", "utf-8", "ascii.txt", "ascii8.txt"});
    ASSERT_EQ(0, run.code) << run.err;
    run = RunConverter(dir.path(), {"--to-traditional", "-", "-"}, 0, ascii);
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_TRUE(Read(dir.path() / "ascii8.txt") == run.out);
    EXPECT_EQ("", run.err);
    // GBK after such a beginning cannot be converted any more; that is said, with what would convert it.
    const std::string gbk = std::string(4 * 1024 * 1024 + 10, 'a') + "\n\xbc\xf2\xcc\xe5\n";
    run = RunConverter(dir.path(), {"--to-traditional", "-", "-"}, 0, gbk);
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(0u, run.out.compare(run.out.size() - 6, 6, "\xbc\xf2\xcc\xe5\r\n"));
    EXPECT_NE(std::string::npos, run.err.find("went through unconverted")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("--encoding gbk")) << run.err;
}

// The first characters outside ASCII at the end of the look-ahead, one of them cut by it: the look goes on
// from them (the beginning told nothing), and the cut is no evidence. They were read as GBK, or not
// recognised.
TEST(CliStreamsTest, TextThatBeginsAtTheEndOfTheLookAheadIsDecidedOnItself) {
    TempDir dir;
    const std::string chinese = Utf8Text(64 * 1024);
    for (const std::size_t before : {1, 2, 10}) {
        const std::string input = std::string(4 * 1024 * 1024 - before - 1, 'a') + "\n" + chinese;
        Write(dir.path() / "in.txt", input);
        ASSERT_EQ(0, RunConverter(dir.path(), {"--to-traditional", "--force", "in.txt", "file.txt"}).code);
        const Result run = RunConverter(dir.path(), {"--to-traditional", "--verbose", "-", "-"}, 0, input);
        EXPECT_EQ(0, run.code) << before << run.err;
        EXPECT_NE(std::string::npos, run.err.find("(UTF-8)")) << before << run.err;
        EXPECT_TRUE(Read(dir.path() / "file.txt") == run.out) << before;
    }
}

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
// 100 MB of UTF-8 on standard input within 64 MB of address space (the whole input held would not fit).
TEST(CliStreamsTest, AStreamFarLargerThanMemoryIsConverted) {
    TempDir dir;
    const std::string line = "简体中文的文字，转换为繁体。abc def\n";
    std::string input;
    input.reserve(100 * 1024 * 1024 + line.size());
    while (input.size() < 100 * 1024 * 1024) input += line;
    const Result run = RunConverter(dir.path(), {"--to-traditional", "-", "-"}, 0, input, 64L << 20);
    EXPECT_EQ(0, run.code) << run.err;
    EXPECT_EQ(input.size() + input.size() / line.size(), run.out.size());
    EXPECT_EQ(0u, run.out.compare(0, 16, "\xe7\xb0\xa1\xe9\xab\x94\xe4\xb8\xad\xe6\x96\x87\xe7\x9a\x84\xe6"));
}
#endif

}  // namespace
