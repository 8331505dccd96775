// FileSystemTest.cpp: directories, attributes, the current directory and the program's own path.
#include "platform/FileSystem.hpp"

#include <gtest/gtest.h>

#include "platform/FileFind.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using testsupport::TempDir;

const std::string kNorikae = "\x81\x5c";  // 乗

TEST(FileSystemTest, MakeDirectoryCreatesOneLevelOnly) {
    TempDir dir;
    platform::FileEntry entry;
    EXPECT_TRUE(platform::MakeDirectory(dir.File("New")));
    EXPECT_TRUE(platform::FindFile(dir.File("New"), entry) && entry.IsDirectory());
    EXPECT_FALSE(platform::MakeDirectory(dir.File("New")));  // exists already
    EXPECT_FALSE(platform::MakeDirectory(dir.File("a\\b")));
    EXPECT_FALSE(platform::FindFile(dir.File("a"), entry));
    EXPECT_FALSE(platform::MakeDirectory(""));
}

TEST(FileSystemTest, AttributesAreSetAndRead) {
    TempDir dir;
    testsupport::WriteBytes(dir.File("a.txt"), "x");
    ASSERT_TRUE(platform::MakeDirectory(dir.File("d")));
    platform::FileEntry entry;
    ASSERT_TRUE(platform::SetAttributes(dir.File("a.txt"), platform::kAttributeReadOnly));
    ASSERT_TRUE(platform::FindFile(dir.File("a.txt"), entry));
    EXPECT_NE(0u, entry.attributes & platform::kAttributeReadOnly);
    ASSERT_TRUE(platform::SetAttributes(dir.File("a.txt"), platform::kAttributeNormal));
    ASSERT_TRUE(platform::FindFile(dir.File("a.txt"), entry));
    EXPECT_EQ(0u, entry.attributes & platform::kAttributeReadOnly);

    ASSERT_TRUE(platform::SetAttributes(dir.File("d"), platform::kAttributeHidden));
    ASSERT_TRUE(platform::FindFile(dir.File("d"), entry));
    EXPECT_EQ(platform::kAttributeHidden | platform::kAttributeDirectory, entry.attributes);
    ASSERT_TRUE(platform::SetAttributes(dir.File("d"), platform::kAttributeNormal));
    ASSERT_TRUE(platform::FindFile(dir.File("d"), entry));
    EXPECT_EQ(platform::kAttributeDirectory, entry.attributes);
    EXPECT_FALSE(platform::SetAttributes(dir.File("missing"), platform::kAttributeNormal));
}

TEST(FileSystemTest, RemoveFileDeletesFilesOnly) {
    TempDir dir;
    testsupport::WriteBytes(dir.File("a.txt"), "x");
    ASSERT_TRUE(platform::MakeDirectory(dir.File("d")));
    platform::FileEntry entry;
    EXPECT_TRUE(platform::RemoveFile(dir.File("a.txt")));
    EXPECT_FALSE(platform::FindFile(dir.File("a.txt"), entry));
    EXPECT_FALSE(platform::RemoveFile(dir.File("a.txt")));
    EXPECT_FALSE(platform::RemoveFile(dir.File("d")));
    EXPECT_TRUE(platform::FindFile(dir.File("d"), entry));
}

TEST(FileSystemTest, CurrentDirectoryFollowsChangesAlsoToGbkNames) {
    TempDir dir;
    const std::string saved = platform::CurrentDirectory();
    ASSERT_FALSE(saved.empty());
    const std::string folder = dir.File("") + kNorikae;
    ASSERT_TRUE(platform::MakeDirectory(folder));
    EXPECT_TRUE(platform::ChangeDirectory(folder));
    EXPECT_EQ(folder, platform::CurrentDirectory());
    EXPECT_FALSE(platform::ChangeDirectory(dir.File("missing")));
    EXPECT_EQ(folder, platform::CurrentDirectory());
    EXPECT_TRUE(platform::ChangeDirectory(saved));
}

TEST(FileSystemTest, ExecutablePathNamesThisProgram) {
    const std::string path = platform::ExecutablePath();
    const std::string name = "platform_tests.exe";
    ASSERT_GT(path.size(), name.size());
    EXPECT_EQ(name, path.substr(path.size() - name.size()));
    platform::FileEntry entry;
    std::string full;
    ASSERT_TRUE(platform::FindFile(path, entry, &full));
    EXPECT_EQ(path, full);
}

}  // namespace
