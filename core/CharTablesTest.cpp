// CharTablesTest.cpp: reading the table file.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/CharTables.hpp"
#include "tests/support/TempDir.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using testsupport::TempDir;
using testsupport::WriteBytes;

const std::string kBanner = kTableBanner;
const std::string kSimp = "\xba\xba\xb7\xa2";  // 汉发
const std::string kTrad = "\x9d\x68\xb0\x6c";  // 漢發

LoadResult Load(const std::string& bytes, CharTables& tables) {
    TempDir dir;
    WriteBytes(dir.File("Runemap.dll"), bytes);
    return LoadTables(tables, dir.File("Runemap.dll"));
}

TEST(CharTablesTest, CrLfAndLfFilesGiveTheSameTables) {
    CharTables crlf, lf;
    ASSERT_EQ(LoadResult::Loaded, Load(kSimp + "\r\n" + kBanner + "\r\n" + kTrad + "\r\nignored\r\n", crlf));
    ASSERT_EQ(LoadResult::Loaded, Load(kSimp + "\n" + kBanner + "\n" + kTrad + "\nignored\n", lf));
    EXPECT_EQ(kSimp, crlf.Simplified());
    EXPECT_EQ(kTrad, crlf.Traditional());
    EXPECT_EQ(crlf.Simplified(), lf.Simplified());
    EXPECT_EQ(crlf.Traditional(), lf.Traditional());
}

TEST(CharTablesTest, ShortFilesReadMissingLinesAsEmpty) {
    CharTables t{"old", "old"};
    EXPECT_EQ(LoadResult::Loaded, Load(kSimp + "\r\n" + kBanner + "\r\n" + kTrad, t));  // three lines, no end
    EXPECT_EQ(kTrad, t.Traditional());
    EXPECT_EQ(LoadResult::Loaded, Load(kSimp + "\r\n" + kBanner + "\r\n", t));
    EXPECT_EQ(kSimp, t.Simplified());
    EXPECT_EQ("", t.Traditional());
}

TEST(CharTablesTest, TheBannerMustMatchByteForByte) {
    CharTables t;
    EXPECT_EQ(LoadResult::BannerMismatch, Load(kSimp + "\r\n" + kBanner + " \r\n" + kTrad + "\r\n", t));
    EXPECT_EQ(LoadResult::BannerMismatch, Load(kSimp + "\r\n", t));
    EXPECT_EQ(LoadResult::BannerMismatch, Load("", t));
    EXPECT_EQ(LoadResult::BannerMismatch, Load(kSimp + "\r\n\x1a" + kBanner + "\r\n" + kTrad + "\r\n", t));
}

TEST(CharTablesTest, VeryLongLinesAreReadWhole) {
    std::string simp, trad;
    for (int i = 0; i < 200000; ++i) simp += kSimp, trad += kTrad;  // 800 KB lines, past any buffer
    CharTables t;
    ASSERT_EQ(LoadResult::Loaded, Load(simp + "\r\n" + kBanner + "\r\n" + trad + "\r\n", t));
    EXPECT_EQ(simp, t.Simplified());
    EXPECT_EQ(trad, t.Traditional());
}

TEST(CharTablesTest, MissingFileOrDirectoryIsNotOpenable) {
    TempDir dir;
    CharTables t;
    EXPECT_EQ(LoadResult::NotOpenable, LoadTables(t, dir.File("Runemap.dll")));
    std::filesystem::create_directory(dir.path() / "Runemap.dll");
    EXPECT_EQ(LoadResult::NotOpenable, LoadTables(t, dir.File("Runemap.dll")));
}

TEST(CharTablesTest, TheBareNameIsFoundInTheCurrentDirectory) {
    TempDir dir;
    WriteBytes(dir.File("Runemap.dll"), kSimp + "\r\n" + kBanner + "\r\n" + kTrad + "\r\n");
    const auto before = std::filesystem::current_path();
    CharTables t;
    std::filesystem::current_path(dir.path());
    const LoadResult here = LoadTables(t);
    std::filesystem::current_path(dir.path().parent_path());
    const LoadResult elsewhere = LoadTables(t);
    std::filesystem::current_path(before);
    EXPECT_EQ(LoadResult::Loaded, here);
    EXPECT_EQ(LoadResult::NotOpenable, elsewhere);
}

#ifdef _WIN32
TEST(CharTablesTest, AFileHeldOpenElsewhereIsNotOpenable) {
    TempDir dir;
    const std::string path = dir.File("Runemap.dll");
    WriteBytes(path, kSimp + "\r\n" + kBanner + "\r\n" + kTrad + "\r\n");
    HANDLE other =
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, other);
    CharTables t;
    EXPECT_EQ(LoadResult::NotOpenable, LoadTables(t, path));
    ::CloseHandle(other);
    EXPECT_EQ(LoadResult::Loaded, LoadTables(t, path));
}
#endif

}  // namespace
