// ConvertWordsTest.cpp: conversion by words on small hand-made tables and phrases, and on the shipped files.
#include <gtest/gtest.h>

#include "core/ConvertText.hpp"
#include "core/ConvertWords.hpp"
#include "tests/reference/LiteralConversion.hpp"

namespace {

// Abstract two-byte characters.
const std::string A = "\xb0\xa1";
const std::string B = "\xb0\xa2";
const std::string C = "\xb0\xa3";
const std::string D = "\xb0\xa4";
const std::string X = "\xc1\xa1";
const std::string Y = "\xc1\xa2";
const std::string Z = "\xc1\xa3";
const std::string kFa2 = "\xb0\x6c";  // 發: its trail byte is the letter l

using Convert = void (*)(std::string&, Direction, const CharTables&, const PhraseTables&);

// Every case runs through both routines: the literal one is the reference, the other must agree.
class ConvertWordsTest : public ::testing::TestWithParam<Convert> {
  protected:
    std::string Run(std::string text, const PhraseTables& phrases,
                    const CharTables& tables = CharTables{A, X}) {
        GetParam()(text, Direction::ToTraditional, tables, phrases);
        return text;
    }

    static PhraseTables Phrases(std::vector<PhraseEntry> toTraditional) {
        return PhraseTables(std::move(toTraditional), {});
    }
};

TEST_P(ConvertWordsTest, TheLongestPhraseAtEachPositionWinsAndTheScanGoesOnAfterIt) {
    const PhraseTables p = Phrases({{A + B, Y + Y}, {A + B + C, Z + Z + Z}, {B + C, Y + Z}, {C + D, Z + Y}});
    EXPECT_EQ(Z + Z + Z + D, Run(A + B + C + D, p));  // ABC, not AB, and then D alone: CD is not looked at
    EXPECT_EQ(Y + Y + D, Run(A + B + D, p));
    EXPECT_EQ(D + Y + Z + D, Run(D + B + C + D, p));  // B C is taken first, so C D never is
    EXPECT_EQ("x" + Y + Y + "\r\n", Run("x" + A + B + "\r\n", p));
}

TEST_P(ConvertWordsTest, UncoveredStretchesConvertEachAsATextOfItsOwn) {
    // A chained table: ConvertText turns A B into C C but a lone A into B only. The phrase X splits the text,
    // so A and B are two stretches and the chain does not reach from one into the other.
    const CharTables chained{A + B, B + C};
    const PhraseTables p = Phrases({{X, Y}});
    EXPECT_EQ(B + Y + C, Run(A + X + B, p, chained));
    std::string whole = A + B;
    ConvertText(whole, Direction::ToTraditional, chained);
    EXPECT_EQ(whole, Run(A + B, p, chained));
}

TEST_P(ConvertWordsTest, WithoutAMatchingPhraseItIsConvertText) {
    const CharTables tables{A + "l" + B, X + "q" + Y};
    for (const std::string& text : {A + "l" + B + kFa2 + "\xb0", std::string(), std::string("plain")}) {
        std::string expected = text;
        ConvertText(expected, Direction::ToTraditional, tables);
        EXPECT_EQ(expected, Run(text, PhraseTables{}, tables));
        EXPECT_EQ(expected, Run(text, Phrases({{C + D, Z}, {"", Z}}), tables));
    }
}

TEST_P(ConvertWordsTest, CounterpartsAreNotScannedAgain) {
    const PhraseTables p = Phrases({{A + B, C + D}, {C + D, Z}, {C, Z}});
    EXPECT_EQ(C + D + Z, Run(A + B + C, p));
    // A counterpart may be longer or shorter than its phrase, or empty.
    EXPECT_EQ(Z + Z + "x", Run(A + A + "x", Phrases({{A, Z + Z}, {A + A, Z + Z}})));
    EXPECT_EQ("x", Run(A + B + "x", Phrases({{A + B, ""}})));
}

TEST_P(ConvertWordsTest, PhrasesMatchOnlyAtCharacterBoundaries) {
    // The l inside 發 is a trail byte, not the letter; a phrase ending in a lead byte matches only a lone
    // lead byte at the very end of the text.
    const PhraseTables p = Phrases({{"l", "L"}, {"\xb0", "!"}, {A + "\xb0", "?"}});
    EXPECT_EQ(kFa2 + "L", Run(kFa2 + "l", p));
    EXPECT_EQ(B + "!", Run(B + "\xb0", p));
    EXPECT_EQ("?", Run(A + "\xb0", p));
    EXPECT_EQ(X + kFa2, Run(A + kFa2, p));
}

TEST_P(ConvertWordsTest, OfEqualPhrasesTheFirstCounts) {
    EXPECT_EQ(Y, Run(A + B, Phrases({{A + B, Y}, {A + B, Z}})));
}

INSTANTIATE_TEST_SUITE_P(Routines, ConvertWordsTest, ::testing::Values(&ConvertWordsLiteral, &ConvertWords),
                         [](const auto& info) { return info.index == 0 ? "Literal" : "Fast"; });

// The shipped files, found beside the test programs: words whose characters have several forms.
class ShippedWordsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_tablesLoaded = LoadTables(s_tables) == LoadResult::Loaded;
        s_phrasesLoaded = LoadPhrases(s_phrases) == PhraseLoadResult::Loaded;
    }

    void SetUp() override {
        ASSERT_TRUE(s_tablesLoaded) << kTableFileName << " not found in the working directory";
        ASSERT_TRUE(s_phrasesLoaded) << kPhraseFileName << " not found or damaged in the working directory";
    }

    static std::string Words(std::string text, Direction direction) {
        ConvertWords(text, direction, s_tables, s_phrases);
        return text;
    }
    static std::string Characters(std::string text, Direction direction) {
        ConvertText(text, direction, s_tables);
        return text;
    }

    static CharTables s_tables;
    static PhraseTables s_phrases;
    static bool s_tablesLoaded;
    static bool s_phrasesLoaded;
};

CharTables ShippedWordsTest::s_tables;
PhraseTables ShippedWordsTest::s_phrases;
bool ShippedWordsTest::s_tablesLoaded = false;
bool ShippedWordsTest::s_phrasesLoaded = false;

TEST_F(ShippedWordsTest, WordsDecideWhatCharactersCannot) {
    // GBK: 复杂 杂志 制作 头发 签名 合并, and their Traditional forms 複雜 雜誌 製作 頭髮 簽名 合併.
    const char* const pairs[][2] = {
        {"\xb8\xb4\xd4\xd3", "\xd1\x7d\xeb\x73"}, {"\xd4\xd3\xd6\xbe", "\xeb\x73\xd5\x49"},
        {"\xd6\xc6\xd7\xf7", "\xd1\x75\xd7\xf7"}, {"\xcd\xb7\xb7\xa2", "\xee\x5e\xf3\x8c"},
        {"\xc7\xa9\xc3\xfb", "\xba\x9e\xc3\xfb"}, {"\xba\xcf\xb2\xa2", "\xba\xcf\x81\xe3"}};
    for (const auto& pair : pairs) {
        EXPECT_EQ(pair[1], Words(pair[0], Direction::ToTraditional)) << pair[0];
        EXPECT_NE(pair[1], Characters(pair[0], Direction::ToTraditional))
            << pair[0] << " is decided by the character table alone";
        EXPECT_EQ(pair[0], Words(pair[1], Direction::ToSimplified)) << pair[1];
    }
    // Between the words, each character converts as the table says: 了 stays, 们 becomes 們.
    EXPECT_EQ("\xd1\x7d\xeb\x73\xc1\xcb\x82\x83",
              Words("\xb8\xb4\xd4\xd3\xc1\xcb\xc3\xc7", Direction::ToTraditional));
}

}  // namespace
