// FileSystemTest.cpp: what the conversion tests do not already cover of the directory services.
#include <gtest/gtest.h>

#include "platform/FileFind.hpp"
#include "platform/FileSystem.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using testsupport::TempDir;

TEST(FileSystemTest, FailuresAreReported) {
    TempDir dir;
    testsupport::WriteBytes(dir.File("a.txt"), "x");
    EXPECT_TRUE(platform::MakeDirectory(dir.File("d")));
    EXPECT_FALSE(platform::MakeDirectory(dir.File("d")));  // exists already
    EXPECT_FALSE(platform::MakeDirectory(dir.File("a\\b")));
    EXPECT_FALSE(platform::SetAttributes(dir.File("missing"), platform::kAttributeNormal));
    EXPECT_FALSE(platform::RemoveFile(dir.File("d")));
    EXPECT_TRUE(platform::RemoveFile(dir.File("a.txt")));
    EXPECT_FALSE(platform::RemoveFile(dir.File("a.txt")));
}

TEST(FileSystemTest, ReadOnlyFileAndHiddenDirectoryAttributesStick) {
    TempDir dir;
    testsupport::WriteBytes(dir.File("a.txt"), "x");
    ASSERT_TRUE(platform::MakeDirectory(dir.File("d")));
    platform::FileEntry entry;
    ASSERT_TRUE(platform::SetAttributes(dir.File("a.txt"), platform::kAttributeReadOnly));
    ASSERT_TRUE(platform::FindFile(dir.File("a.txt"), entry));
    EXPECT_NE(0u, entry.attributes & platform::kAttributeReadOnly);
    ASSERT_TRUE(platform::SetAttributes(dir.File("d"), platform::kAttributeHidden));
    ASSERT_TRUE(platform::FindFile(dir.File("d"), entry));
    EXPECT_EQ(platform::kAttributeHidden | platform::kAttributeDirectory, entry.attributes);
    platform::SetAttributes(dir.File("a.txt"), platform::kAttributeNormal);
}

TEST(FileSystemTest, CurrentDirectoryFollowsChangesAlsoToGbkNames) {
    TempDir dir;
    const std::string saved = platform::CurrentDirectory();
    ASSERT_FALSE(saved.empty());
    const std::string folder = dir.File("") + "乗";  // in GBK its trail byte is a backslash
    ASSERT_TRUE(platform::MakeDirectory(folder));
    EXPECT_TRUE(platform::ChangeDirectory(folder));
    EXPECT_EQ(folder, platform::CurrentDirectory());
    EXPECT_FALSE(platform::ChangeDirectory(dir.File("missing")));
    EXPECT_EQ(folder, platform::CurrentDirectory());
    EXPECT_TRUE(platform::ChangeDirectory(saved));
}

// Windows counts a name's length in UTF-16 units: 255 of them, a character beyond the BMP taking two.
TEST(FileSystemTest, NamesFitUpTo255Utf16Units) {
    std::string name;
    for (int k = 0; k < 255; ++k) name += "\xe5\x8f\x91";  // 发: three bytes of UTF-8, one unit
    EXPECT_TRUE(platform::NameFits(name));
    EXPECT_FALSE(platform::NameFits(name + "a"));
    std::string emoji;
    for (int k = 0; k < 128; ++k) emoji += "\xf0\x9f\x98\x80";
    EXPECT_FALSE(platform::NameFits(emoji));
    EXPECT_TRUE(platform::NameFits(emoji.substr(4)));
}

}  // namespace
