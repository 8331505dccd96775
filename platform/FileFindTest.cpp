// FileFindTest.cpp: the file look-up and directory enumeration against real folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/FileFind.hpp"
#include "platform/FileSystem.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using platform::FileEntry;
using platform::FindFile;
using testsupport::TempDir;
using testsupport::WriteBytes;

const std::string kNorikae = "乗";  // in GBK its trail byte is a backslash

// Puts the current directory back when a test ends.
class CurrentDirectoryGuard {
  public:
    CurrentDirectoryGuard() : m_saved(platform::CurrentDirectory()) {}
    ~CurrentDirectoryGuard() { platform::ChangeDirectory(m_saved); }

  private:
    std::string m_saved;
};

TEST(FindFileTest, FindsFileOrDirectoryWithNameAsOnDiskAndFullPath) {
    TempDir dir;
    WriteBytes(dir.File("Report.TXT"), "x");
    ASSERT_TRUE(platform::MakeDirectory(dir.File("Sub")));

    FileEntry entry;
    std::string full;
    ASSERT_TRUE(FindFile(dir.File("report.txt"), entry, &full));
    EXPECT_EQ("Report.TXT", entry.name);
    EXPECT_FALSE(entry.IsDirectory());
    EXPECT_EQ(dir.File("Report.TXT"), full);

    ASSERT_TRUE(FindFile(dir.File("SUB"), entry, &full));
    EXPECT_EQ("Sub", entry.name);
    EXPECT_TRUE(entry.IsDirectory());
    EXPECT_EQ(dir.File("Sub"), full);

    EXPECT_FALSE(FindFile(dir.File("missing.txt"), entry));
}

TEST(FindFileTest, WildcardsInTheLastLevelKeepTheSearchedDirectoryText) {
    TempDir dir;
    ASSERT_TRUE(platform::MakeDirectory(dir.File("Sub")));
    WriteBytes(dir.File("Sub\\only.txt"), "x");
    WriteBytes(dir.File("Sub\\other.dat"), "x");

    FileEntry entry;
    std::string full;
    ASSERT_TRUE(FindFile(dir.File("sub\\*.t?t"), entry, &full));
    EXPECT_EQ("only.txt", entry.name);
    EXPECT_EQ(dir.File("sub\\only.txt"), full);  // the directory as typed, the name as stored
}

TEST(FindFileTest, RelativeTextIsMadeAbsoluteAgainstTheCurrentDirectory) {
    TempDir dir;
    CurrentDirectoryGuard guard;
    ASSERT_TRUE(platform::MakeDirectory(dir.File("Sub")));
    WriteBytes(dir.File("Sub\\a.txt"), "x");
    ASSERT_TRUE(platform::ChangeDirectory(dir.File("Sub")));

    FileEntry entry;
    std::string full;
    ASSERT_TRUE(FindFile("A.TXT", entry, &full));
    EXPECT_EQ(dir.File("Sub\\a.txt"), full);
    ASSERT_TRUE(FindFile("..\\sub", entry, &full));
    EXPECT_EQ(dir.File("Sub"), full);
}

TEST(FindFileTest, TrailingBackslashRootAndEmptyTextFindNothing) {
    TempDir dir;
    const std::string root = dir.File("").substr(0, 3);  // such as C:\ .
    ASSERT_EQ(":\\", root.substr(1));
    FileEntry entry;
    EXPECT_FALSE(FindFile(dir.path().string() + "\\", entry));
    EXPECT_FALSE(FindFile(dir.path().string() + "/", entry));
    EXPECT_FALSE(FindFile(root, entry));
    EXPECT_FALSE(FindFile("", entry));
}

TEST(FindFileTest, BareDriveNameIsThatDrivesCurrentDirectory) {
    TempDir dir;
    CurrentDirectoryGuard guard;
    ASSERT_TRUE(platform::MakeDirectory(dir.File("Deep")));
    const std::string drive = dir.path().string().substr(0, 2);

    ASSERT_TRUE(platform::ChangeDirectory(dir.File("Deep")));
    FileEntry entry;
    std::string full;
    ASSERT_TRUE(FindFile(drive, entry, &full));
    EXPECT_EQ("Deep", entry.name);
    EXPECT_TRUE(entry.IsDirectory());
    EXPECT_EQ(dir.File("Deep"), full);

    ASSERT_TRUE(platform::ChangeDirectory(drive + "\\"));
    EXPECT_FALSE(FindFile(drive, entry));
}

}  // namespace
