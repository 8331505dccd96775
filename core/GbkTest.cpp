// GbkTest.cpp: character boundaries in find, replace, reverse find and lowering.
#include <gtest/gtest.h>

#include "core/Gbk.hpp"

namespace {

const std::string kJou = "\x81\x5c";   // 乗: its trail byte is a backslash
const std::string kHan = "\x9d\x68";   // 漢: its trail byte is the letter h
const std::string kCapA = "\x81\x41";  // a two-byte character whose trail byte is the letter A

TEST(GbkTest, FindMatchesOnlyAtCharacterBoundaries) {
    EXPECT_EQ(std::string::npos, gbk::Find(kJou + "a", "\\"));
    EXPECT_EQ(3u, gbk::Find(kJou + "a\\", "\\"));
    EXPECT_EQ(std::string::npos, gbk::Find(kHan, "h"));
    EXPECT_EQ(2u, gbk::Find(kHan + "h", "h"));
    // The trail byte of 漢 followed by the lead byte of 漢 spells 0x68 0x9d: never a match inside two
    // characters.
    EXPECT_EQ(std::string::npos, gbk::Find(kHan + kHan, "\x68\x9d"));
    EXPECT_EQ(std::string::npos, gbk::Find("abc", ""));
}

TEST(GbkTest, FindWithStartOffset) {
    EXPECT_EQ(3u, gbk::Find(kHan + "x" + "h" + "h", "h", 3));
    EXPECT_EQ(4u, gbk::Find(kHan + "x" + "h" + "h", "h", 4));
    EXPECT_EQ(std::string::npos, gbk::Find("ab", "b", 2));
}

TEST(GbkTest, LoneLeadByteMatchesOnlyItselfAtTheEnd) {
    const std::string lone = "\xb0";
    // 啊 begins with 0xB0: half a character is not an occurrence of the lone byte.
    EXPECT_EQ(std::string::npos, gbk::Find("\xb0\xa1", lone));
    EXPECT_EQ(2u, gbk::Find("\xb0\xa1" + lone, lone));
}

TEST(GbkTest, ReplaceAllReplacesLeftToRightWithoutOverlap) {
    std::string text = "aaa";
    EXPECT_EQ(1u, gbk::ReplaceAll(text, "aa", "b"));
    EXPECT_EQ("ba", text);

    text = kJou + "\\x\\";
    EXPECT_EQ(2u, gbk::ReplaceAll(text, "\\", "/"));
    EXPECT_EQ(kJou + "/x/", text);

    // The replacement is not searched again, even when it contains the searched text.
    text = "ab";
    EXPECT_EQ(1u, gbk::ReplaceAll(text, "a", "aa"));
    EXPECT_EQ("aab", text);

    text = "xyz";
    EXPECT_EQ(0u, gbk::ReplaceAll(text, "q", "r"));
    EXPECT_EQ("xyz", text);
}

}  // namespace
