// FaultTest.cpp: full disks, odd bytes, huge lines and odd paths. Every failure is one clear message, nothing
// crashes, and no source byte changes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "convert/ConversionRunFixture.hpp"
#include "convert/FaultTestSupport.hpp"
#include "convert/UnixLink.hpp"
#include "core/ConvertText.hpp"
#include "core/Gbk.hpp"
#include "platform/FileSystem.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using namespace convertsupport;
using faultsupport::CSmallDisk;
using testsupport::TempDir;
using Texts = std::vector<std::string>;

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}

class FaultTest : public CConversionRunFixture {
  protected:
    std::string Converted(std::string text) const {
        ConvertText(text, Direction::ToTraditional, tables);
        return text;
    }

    std::string root = dir.File("");  // ends in a backslash
};

// A full disk cannot be faked through the writer here: the real one is a tmpfs of a megabyte.
TEST_F(FaultTest, DiskThatFillsUpLeavesNoHalfFileAndTheSourceAsItWas) {
    const std::string disk = dir.File("disk");
    ASSERT_TRUE(platform::MakeDirectory(disk));
    CSmallDisk small(disk, 1 << 20);
    if (!small.Mounted()) GTEST_SKIP() << small.WhyNot();
    const std::uint64_t free = small.FreeBytes();

    // Three megabytes: the disk is full a third of the way through.
    const std::string text = Repeat(kSimplified + "0123456789abcdef\r\n", (3 << 20) / 22);
    ASSERT_TRUE(WriteFileBytes(src + "\\big.txt", text));
    Start(0, src + "\\big.txt", disk + "\\out.txt");
    EXPECT_EQ(Texts{"Write File occur Err!"}, host.messages);
    EXPECT_EQ(kSingleRun, host.buttons);
    EXPECT_EQ(Texts{}, NamesIn(disk));
    EXPECT_EQ(free, small.FreeBytes());
    ASSERT_FALSE(host.progress.empty());
    EXPECT_EQ(0, host.progress.back());
    EXPECT_EQ(text, ReadFileBytes(src + "\\big.txt"));

    // A kilobyte more than the disk holds, in short lines: the last bytes wait in the writer's buffer, so the
    // failure can come as late as the close.
    const std::string edge = Repeat(std::string(1022, 'e') + "\n", 1025);
    ASSERT_TRUE(WriteFileBytes(src + "\\edge.txt", edge));
    EXPECT_FALSE(conversion.ConvertFile(src + "\\edge.txt", disk + "\\edge.txt"));
    EXPECT_EQ((Texts{"Write File occur Err!", "Write File occur Err!"}), host.messages);
    EXPECT_EQ(Texts{}, NamesIn(disk));
    EXPECT_EQ(edge, ReadFileBytes(src + "\\edge.txt"));
}

TEST_F(FaultTest, BatchIntoAFullDiskReportsTheFileThatDidNotFitAndGoesOn) {
    const std::string disk = dir.File("disk");
    ASSERT_TRUE(platform::MakeDirectory(disk));
    CSmallDisk small(disk, 1 << 20);
    if (!small.Mounted()) GTEST_SKIP() << small.WhyNot();
    const std::string big = Repeat(kSimplified + "\r\n", (2 << 20) / 6);
    ASSERT_TRUE(WriteFileBytes(src + "\\big.txt", big));
    ASSERT_TRUE(WriteFileBytes(src + "\\small1.txt", kSimplified));
    ASSERT_TRUE(WriteFileBytes(src + "\\small2.txt", kSimplified));
    // Whatever the order, the unfinished file is removed before the next one, so both small ones fit.
    Start(1, src, disk);
    EXPECT_EQ(Texts{"Write File occur Err!"}, host.messages);
    EXPECT_EQ((Texts{"small1.txt", "small2.txt"}), NamesIn(disk));
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(disk + "\\small2.txt"));
    EXPECT_EQ(big, ReadFileBytes(src + "\\big.txt"));
    EXPECT_EQ(kBatchRun, host.buttons);
}

TEST_F(FaultTest, FileInTheWayOfTheDestinationFolderInEveryMode) {
    ASSERT_TRUE(WriteFileBytes(src + "\\a.txt", kSimplified));
    ASSERT_TRUE(WriteFileBytes(dir.File("file"), "in the way"));
    Start(1, src, dir.File("file\\out"));
    Start(0, src + "\\a.txt", dir.File("file\\out\\a.txt"));
    EXPECT_FALSE(conversion.ConvertFile(src + "\\a.txt", dir.File("file\\a.txt")));
    EXPECT_EQ(
        (Texts{"Err:Cann't Create directory!", "Err:Cann't Create directory!", "Do not Create file path!"}),
        host.messages);
    EXPECT_EQ(Texts{}, host.buttons);
    EXPECT_EQ("in the way", ReadFileBytes(dir.File("file")));
    EXPECT_EQ(kSimplified, ReadFileBytes(src + "\\a.txt"));
    EXPECT_EQ((Texts{"file", "src"}), NamesIn(dir.path().string()));
}

TEST_F(FaultTest, DestinationThatIsTheSourceThroughALink) {
    // Other spellings of the same file are tested with the conversion; links are spellings no text compare
    // sees.
    const std::string source = src + "\\a.txt";
    ASSERT_TRUE(WriteFileBytes(source, kSimplified));
    ASSERT_TRUE(::CreateHardLinkW(platform::WideFromUtf8(src + "\\hard.txt").c_str(),
                                  platform::WideFromUtf8(source).c_str(), nullptr));
    EXPECT_FALSE(conversion.ConvertFile(source, src + "\\hard.txt"));
    CUnixLink soft(src + "\\soft.txt", "a.txt");
    if (soft.Made()) {
        EXPECT_FALSE(conversion.ConvertFile(source, src + "\\soft.txt"));
    }
    const std::size_t tries = soft.Made() ? 2 : 1;
    EXPECT_EQ(tries, host.questions.size());
    EXPECT_EQ(Texts(tries, "Create File occur Err!"), host.messages);
    EXPECT_EQ(kSimplified, ReadFileBytes(source));
    if (!soft.Made()) GTEST_SKIP() << "hard link only: needs Wine to make a Unix link";
}

TEST_F(FaultTest, NulCtrlZAndLoneCrBytesAroundTwoByteCharacters) {
    struct Case {
        std::string in, out;
    };
    // Text mode works on bytes: a CR before an LF goes, even right after a lead byte, and 0x1A ends the input
    // even where it would be a trail byte. A lead byte before NUL forms a character that nothing maps.
    const std::string nul(1, '\0');
    const Case cases[] = {
        {"a" + nul + "b" + kSimplified + "\rc\r\n", "a" + nul + "b" + kTraditional + "\rc\r\n"},
        {"\xba" + nul + "\n\xba\r\nx\r\r\n\xba\x1a" + kSimplified + "\n",
         "\xba" + nul + "\r\n\xba\r\nx\r\r\n\xba\r\n"},
        {kSimplified + "\r", kTraditional + "\r\r\n"},
        {std::string(3, '\0'), std::string(3, '\0') + "\r\n"},
        {"\x1a" + kSimplified, ""},
        {"\r\r\r", "\r\r\r\r\n"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFileBytes(src + "\\in.txt", c.in));
        EXPECT_TRUE(conversion.ConvertFile(src + "\\in.txt", src + "\\out.txt"));
        EXPECT_EQ(c.out, ReadFileBytes(src + "\\out.txt"));
        EXPECT_EQ(c.in, ReadFileBytes(src + "\\in.txt"));
        platform::RemoveFile(src + "\\out.txt");
    }
    EXPECT_EQ(Texts{}, host.messages);
}

TEST_F(FaultTest, OneLineOf200MegabytesNeedsMemoryNearItsSize) {
    // The file is written and checked a megabyte at a time, so that only the conversion holds the whole line.
    const std::string chunk = Repeat(kSimplified + "0123", 1 << 20 >> 3);
    const int chunks = 200;
    const std::uint64_t lineSize = chunk.size() * chunks;
    {
        HANDLE file = ::CreateFileW(platform::WideFromUtf8(src + "\\line.txt").c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD put = 0;
        for (int i = 0; i < chunks; ++i)
            ::WriteFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &put, nullptr);
        ::CloseHandle(file);
    }

    if (!faultsupport::IsChildRun()) {
        EXPECT_EQ(0, faultsupport::RunCurrentTestAlone());
        return;
    }
    const faultsupport::MemoryFigures before = faultsupport::Memory();
    ASSERT_GT(before.current, 0u) << "no memory figures";
    EXPECT_TRUE(conversion.ConvertFile(src + "\\line.txt", src + "\\out.txt"));
    const faultsupport::MemoryFigures after = faultsupport::Memory();
    const std::uint64_t growth = after.peak - before.current;
    RecordProperty("PeakGrowthBytes", std::to_string(growth));
    std::printf("peak working set grew by %.0f MB for a line of %.0f MB\n", growth / 1048576.0,
                lineSize / 1048576.0);
    EXPECT_LT(growth, 4 * lineSize);
    EXPECT_EQ(Texts{}, host.messages);

    HANDLE out = ::CreateFileW(platform::WideFromUtf8(src + "\\out.txt").c_str(), GENERIC_READ, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, out);
    const std::string expected = Converted(chunk);
    std::string got(chunk.size(), '\0');
    int same = 0;
    for (int i = 0; i < chunks; ++i) {
        DWORD read = 0;
        ::ReadFile(out, &got[0], static_cast<DWORD>(got.size()), &read, nullptr);
        same += read == got.size() && got == expected;
    }
    char end[4] = {};
    DWORD read = 0;
    ::ReadFile(out, end, sizeof end, &read, nullptr);
    ::CloseHandle(out);
    EXPECT_EQ(chunks, same);
    EXPECT_EQ("\r\n", std::string(end, read));
}

TEST_F(FaultTest, PathsLongerThanMaxPathAndBeyondAnyWindowsPath) {
    // Levels of 30 characters: both trees go well past 260 characters. Wine takes such paths, as Windows does
    // with long paths enabled, so the run works as for short ones.
    std::string deepSource = src, deepDest = dir.File("dest");
    for (int level = 0; level < 10; ++level) {
        deepSource += "\\" + std::string(30, static_cast<char>('a' + level));
        deepDest += "\\" + std::string(30, static_cast<char>('k' + level));
        ASSERT_TRUE(platform::MakeDirectory(deepSource));
    }
    ASSERT_GT(deepSource.size(), 300u);
    ASSERT_TRUE(WriteFileBytes(deepSource + "\\in.txt", kSimplified));
    Start(0, deepSource + "\\in.txt", deepDest + "\\out.txt");
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(deepDest + "\\out.txt"));
    Start(1, src, deepDest + "\\batch");
    EXPECT_EQ(Texts{"in.txt"}, NamesIn(deepDest + "\\batch"));
    EXPECT_EQ(Texts{}, host.messages);

    // 40,000 characters is past the 32,767 any Windows path may have: every step refuses it cleanly.
    WriteFileBytes(src + "\\a.txt", kSimplified);
    const std::string huge = root + std::string(40000, 'x');
    const std::string hugeGbk = root + Repeat(kNorikae, 40000);  // one level, whatever its trail bytes
    Start(0, huge, root + "out.txt");
    Start(0, src + "\\a.txt", huge + "\\out.txt");
    Start(0, src + "\\a.txt", hugeGbk + "\\out.txt");
    Start(1, src, huge);
    EXPECT_FALSE(conversion.ConvertFile(src + "\\a.txt", huge));
    EXPECT_EQ(
        (Texts{"This Path is not exist!", "Err:Cann't Create directory!", "Err:Cann't Create directory!",
               "Err:Cann't Create directory!", "Create File occur Err!"}),
        host.messages);
    EXPECT_EQ((Texts{"dest", "src"}), NamesIn(dir.path().string()));
    EXPECT_EQ(kSimplified, ReadFileBytes(src + "\\a.txt"));
}

TEST_F(FaultTest, DestinationOfManyBackslashesIsRefusedWithoutHoldingEveryLevel) {
    if (!faultsupport::IsChildRun()) {
        EXPECT_EQ(0, faultsupport::RunCurrentTestAlone());
        return;
    }
    const faultsupport::MemoryFigures before = faultsupport::Memory();
    Start(1, src, root + "x" + std::string(20000, '\\'));
    const std::uint64_t growth = faultsupport::Memory().peak - before.current;
    std::printf("peak working set grew by %.1f MB\n", growth / 1048576.0);
    EXPECT_EQ(Texts{"Err:Cann't Create directory!"}, host.messages);
    EXPECT_LT(growth, 20u << 20);  // all 20,001 levels at once would be 200 MB
    EXPECT_EQ((Texts{"src", "x"}), NamesIn(dir.path().string()));
}

TEST_F(FaultTest, NamesWithBackslashTrailBytesInSingleAndBatchRuns) {
    // 縗\乗\蔦.txt into folders named 蔦\乗 that do not exist yet; 丂 ends in the byte of "A", which lowering
    // must leave alone.
    const std::string kCapitalTrail = "丂";
    const std::string folder = root + kSui + "\\" + kNorikae;
    ASSERT_TRUE(platform::MakeDirectory(root + kSui));
    ASSERT_TRUE(platform::MakeDirectory(folder));
    ASSERT_TRUE(WriteFileBytes(folder + "\\" + kTsuta + ".txt", kSimplified));
    ASSERT_TRUE(WriteFileBytes(root + kSui + "\\" + kCapitalTrail + ".TXT", kSimplified));

    Start(0, folder + "\\" + kTsuta + ".txt",
          root + kTsuta + "\\" + kNorikae + "\\" + kCapitalTrail + ".TXT");
    EXPECT_EQ(Texts{kNorikae}, NamesIn(root + kTsuta));
    EXPECT_EQ(Texts{kCapitalTrail + ".txt"}, NamesIn(root + kTsuta + "\\" + kNorikae));
    EXPECT_EQ(kTraditional + "\r\n",
              ReadFileBytes(root + kTsuta + "\\" + kNorikae + "\\" + kCapitalTrail + ".txt"));

    Start(0, folder + "\\" + kTsuta + ".txt", root + kSui + "\\" + kNorikae + "\\" + kTsuta + ".TXT");
    Start(1, root + kSui, root + kNorikae + "\\" + kSui);
    EXPECT_EQ((Texts{kCapitalTrail + ".TXT", kTsuta + ".txt"}), NamesIn(root + kNorikae + "\\" + kSui));
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(root + kNorikae + "\\" + kSui + "\\" + kTsuta + ".txt"));
    EXPECT_EQ(Texts{"File path is same!"}, host.messages);
    // Only whole levels were made: no folder named after a lead byte.
    EXPECT_EQ((Texts{"src", kNorikae, kSui, kTsuta}), NamesIn(dir.path().string()));
    EXPECT_EQ(kSimplified, ReadFileBytes(folder + "\\" + kTsuta + ".txt"));
}

TEST_F(FaultTest, DestinationInsideTheSourceNeverChangesASource) {
    ASSERT_TRUE(platform::MakeDirectory(src + "\\sub"));
    const Texts names = {"a.txt", "b.txt", "sub\\c.txt"};
    for (const std::string& name : names) ASSERT_TRUE(WriteFileBytes(src + "\\" + name, kSimplified + name));
    host.answer = false;
    Start(1, src, src + "\\out");  // created by the run, then met by the walk
    Start(1, src, src + "\\out");
    host.answer = true;
    Start(1, src, src + "\\out");
    for (const std::string& name : names) {
        EXPECT_EQ(kSimplified + name, ReadFileBytes(src + "\\" + name));
        const std::string flat = name.substr(name.rfind('\\') + 1);
        EXPECT_EQ(kTraditional + name + "\r\n", ReadFileBytes(src + "\\out\\" + flat));
    }
    EXPECT_EQ((Texts{"a.txt", "b.txt", "c.txt"}), NamesIn(src + "\\out"));
    // The walk never enters the destination: the questions are about the three outputs only, asked by the
    // second and the third run, and no file is ever its own target.
    std::string out = src + "\\out\\";
    for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    EXPECT_EQ(6u, host.questions.size());
    for (const std::string& question : host.questions) EXPECT_EQ(0u, question.find(out)) << question;
    EXPECT_EQ(Texts{}, host.messages);
}

TEST_F(FaultTest, BatchFileWhoseNameGbkCannotHold) {
    // 가 has no GBK form: the name travels in UTF-8 inside and reaches the file.
    const std::wstring odd = platform::WideFromUtf8(src) + L"\\\xAC00.txt";
    HANDLE file =
        ::CreateFileW(odd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD put = 0;
    ::WriteFile(file, kSimplified.data(), static_cast<DWORD>(kSimplified.size()), &put, nullptr);
    ::CloseHandle(file);
    ASSERT_TRUE(WriteFileBytes(src + "\\a1.txt", kSimplified));

    Start(1, src, dir.File("out"));
    EXPECT_EQ(Texts{}, host.messages);
    EXPECT_EQ(Texts{}, host.questions);
    EXPECT_EQ((Texts{"a1.txt", "가.txt"}), NamesIn(dir.File("out")));
    EXPECT_EQ(kTraditional + "\r\n", ReadFileBytes(dir.File("out") + "\\가.txt"));
    file =
        ::CreateFileW(odd.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    char bytes[16] = {};
    DWORD got = 0;
    ::ReadFile(file, bytes, sizeof bytes, &got, nullptr);
    ::CloseHandle(file);
    EXPECT_EQ(kSimplified, std::string(bytes, got));
}

}  // namespace
