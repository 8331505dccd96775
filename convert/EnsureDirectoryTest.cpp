// EnsureDirectoryTest.cpp: directory creation level by level, on the real file system.
#include <gtest/gtest.h>

#include "convert/ConvertTestSupport.hpp"
#include "convert/EnsureDirectory.hpp"
#include "convert/PathPrefixes.hpp"
#include "platform/FileFind.hpp"
#include "platform/FileSystem.hpp"
#include "tests/support/TempDir.hpp"

namespace {

using testsupport::TempDir;
using Names = std::vector<std::string>;
using convertsupport::kNorikae;
using convertsupport::kSui;
using convertsupport::kTsuta;
using convertsupport::NamesIn;

std::uint32_t AttributesOf(const std::string& path) {
    platform::FileEntry entry;
    return platform::FindFile(path, entry) ? entry.attributes : 0;
}

// The levels as text.
Names DirectoryPrefixes(const std::string& path) {
    Names prefixes;
    for (const std::size_t length : DirectoryPrefixLengths(path)) prefixes.push_back(path.substr(0, length));
    return prefixes;
}

TEST(DirectoryPrefixesTest, SplitsAtBackslashCharactersOnly) {
    EXPECT_EQ((Names{"C:", "C:\\out", "C:\\out\\a", "C:\\out\\a\\b"}), DirectoryPrefixes("C:\\out\\a\\b"));
    EXPECT_EQ((Names{"C:", "C:\\out", "C:\\out\\"}), DirectoryPrefixes("C:\\out\\"));
    EXPECT_EQ((Names{"", "\\", "\\\\srv", "\\\\srv\\s"}), DirectoryPrefixes("\\\\srv\\s"));
    EXPECT_EQ((Names{"rel"}), DirectoryPrefixes("rel"));
    EXPECT_EQ(Names{}, DirectoryPrefixes(""));
    const std::string gbk = "C:\\" + kNorikae + "\\a" + kTsuta + "b\\" + kSui;
    EXPECT_EQ((Names{"C:", "C:\\" + kNorikae, "C:\\" + kNorikae + "\\a" + kTsuta + "b", gbk}),
              DirectoryPrefixes(gbk));
}

TEST(EnsureDirectoryTest, CreatesEveryMissingLevelWithNormalAttributes) {
    TempDir dir;
    EXPECT_TRUE(EnsureDirectory(dir.File("new1\\new2")));
    EXPECT_EQ(platform::kAttributeDirectory, AttributesOf(dir.File("new1")));
    EXPECT_EQ(platform::kAttributeDirectory, AttributesOf(dir.File("new1\\new2")));
}

TEST(EnsureDirectoryTest, ExistingDirectoryIsLeftAsItIs) {
    TempDir dir;
    ASSERT_TRUE(platform::MakeDirectory(dir.File("old")));
    ASSERT_TRUE(platform::SetAttributes(dir.File("old"), platform::kAttributeHidden));
    EXPECT_TRUE(EnsureDirectory(dir.File("old")));
    EXPECT_TRUE(EnsureDirectory(dir.File("OLD")));
    EXPECT_EQ(platform::kAttributeHidden | platform::kAttributeDirectory, AttributesOf(dir.File("old")));
    EXPECT_EQ(Names{"old"}, NamesIn(dir.path().string()));
}

TEST(EnsureDirectoryTest, PathsThatNeverCountAsExistingDirectories) {
    TempDir dir;
    testsupport::WriteBytes(dir.File("file"), "x");
    EXPECT_FALSE(EnsureDirectory(dir.File("file")));
    EXPECT_FALSE(EnsureDirectory(dir.File("file\\below")));
    EXPECT_FALSE(EnsureDirectory(""));
    EXPECT_FALSE(EnsureDirectory(dir.path().string().substr(0, 3)));  // the drive root
    // A final backslash: the directory is made, yet the look-up of the text finds nothing.
    EXPECT_FALSE(EnsureDirectory(dir.File("out\\")));
    EXPECT_EQ(platform::kAttributeDirectory, AttributesOf(dir.File("out")));
}

TEST(EnsureDirectoryTest, GbkNamesWithBackslashTrailBytesMakeNoStrayLevels) {
    TempDir dir;
    const std::string path = dir.File("") + kNorikae + "\\a" + kTsuta + "\\" + kSui;
    EXPECT_TRUE(EnsureDirectory(path));
    EXPECT_EQ(Names{kNorikae}, NamesIn(dir.path().string()));
    EXPECT_EQ(Names{"a" + kTsuta}, NamesIn(dir.File("") + kNorikae));
    EXPECT_EQ(Names{kSui}, NamesIn(dir.File("") + kNorikae + "\\a" + kTsuta));
}

}  // namespace
