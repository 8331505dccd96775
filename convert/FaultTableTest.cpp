// FaultTableTest.cpp: table files that are empty, binary, huge, a folder, held or unreadable, read by the
// Windows backend. Each gives one of the three outcomes; whatever loads converts as the literal routine does.
#include <gtest/gtest.h>

#include <random>

#include "convert/ConvertTestSupport.hpp"
#include "convert/UnixLink.hpp"
#include "core/CharTables.hpp"
#include "core/ConvertText.hpp"
#include "platform/FileSystem.hpp"
#include "tests/reference/LiteralConversion.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using namespace convertsupport;
using testsupport::TempDir;

std::string RandomBytes(std::mt19937& random, std::size_t size) {
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Without the bytes that would end a line or the input.
std::string RandomLine(std::mt19937& random, std::size_t size) {
    std::string line = RandomBytes(random, size);
    for (char& b : line) {
        if (b == '\n' || b == '\x1a') b = '\0';
    }
    if (!line.empty() && line.back() == '\r') line.back() = 'r';
    return line;
}

// The piece repeated to some 50 MB.
std::string Repeat50(const std::string& piece) {
    std::string line;
    line.reserve(50 << 20);
    while (line.size() + piece.size() <= 50 << 20) line += piece;
    return line;
}

class FaultTableTest : public ::testing::Test {
  protected:
    LoadResult Load(const std::string& bytes) {
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return LoadTables(tables, path);
    }

    TempDir dir;
    std::string path = dir.File("Runemap.dll");
    CharTables tables;
};

TEST_F(FaultTableTest, EmptyOrBinaryFilesAreRefusedByTheBanner) {
    std::mt19937 random(20240611);
    EXPECT_EQ(LoadResult::BannerMismatch, Load(""));
    for (int i = 0; i < 20; ++i) {
        std::string bytes = RandomBytes(random, 1 << 16);
        bytes[100] = '\0';
        bytes[200] = '\x1a';
        EXPECT_EQ(LoadResult::BannerMismatch, Load(bytes));
    }
    EXPECT_EQ(LoadResult::BannerMismatch, Load(std::string(1 << 20, '\0')));
    EXPECT_EQ(LoadResult::BannerMismatch, Load(kTableBanner));  // the banner as line 1
}

TEST_F(FaultTableTest, BinaryLinesAroundTheBannerLoadAsTheyAreAndConvertLikeTheLiteralRoutine) {
    std::mt19937 random(7);
    for (int i = 0; i < 10; ++i) {
        const std::string simplified = RandomLine(random, 3000);
        const std::string traditional = RandomLine(random, 2000 + i * 200);
        const std::string after = RandomBytes(random, 500);
        ASSERT_EQ(LoadResult::Loaded,
                  Load(simplified + "\n" + kTableBanner + "\r\n" + traditional + "\x1a\n" + after));
        EXPECT_EQ(simplified, tables.Simplified());
        EXPECT_EQ(traditional, tables.Traditional());
        for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
            std::string fast = RandomBytes(random, 3000);
            std::string literal = fast;
            ConvertText(fast, direction, tables);
            ConvertTextLiteral(literal, direction, tables);
            EXPECT_EQ(literal, fast);
        }
    }
}

TEST_F(FaultTableTest, FiftyMegabyteLinesLoadWhole) {
    const std::string simplified = Repeat50(kSimplified + "\xbc\xf2");
    const std::string traditional = Repeat50(kTraditional + "\xba\x86");
    ASSERT_EQ(LoadResult::Loaded, Load(simplified + "\r\n" + kTableBanner + "\r\n" + traditional + "\r\n"));
    EXPECT_EQ(simplified.size(), tables.Simplified().size());
    EXPECT_TRUE(simplified == tables.Simplified());
    EXPECT_TRUE(traditional == tables.Traditional());
    std::string text = "x" + kSimplified + "\xbc\xf2";
    ConvertText(text, Direction::ToTraditional, tables);
    EXPECT_EQ("x" + kTraditional + "\xba\x86", text);
}

TEST_F(FaultTableTest, FolderHeldOrUnreadableFileIsNotOpenable) {
    ASSERT_TRUE(platform::MakeDirectory(path));
    EXPECT_EQ(LoadResult::NotOpenable, LoadTables(tables, path));

    const std::string held = dir.File("held.dll");
    ASSERT_TRUE(WriteFileBytes(held, "a\n" + std::string(kTableBanner) + "\nb\n"));
    HANDLE other = ::CreateFileW(platform::WideFromUtf8(held).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    EXPECT_EQ(LoadResult::NotOpenable, LoadTables(tables, held));
    ::CloseHandle(other);
    EXPECT_EQ(LoadResult::Loaded, LoadTables(tables, held));

    // Opens, then fails to read: the window must say it could not open the table rather than quit silently.
    CUnixLink link(dir.File("mem.dll"), "/proc/self/mem");
    if (!link.Made()) GTEST_SKIP() << "needs Wine to make a Unix link";
    EXPECT_EQ(LoadResult::NotOpenable, LoadTables(tables, dir.File("mem.dll")));
}

}  // namespace
