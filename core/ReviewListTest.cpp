// ReviewListTest.cpp: which characters the review list names, where, and with which forms.
#include <gtest/gtest.h>

#include "core/ReviewList.hpp"

namespace {

// GBK: 头 发 發 髮 and an abstract X.
const std::string kTou = "\xcd\xb7";
const std::string kFa = "\xb7\xa2";
const std::string kFa2 = "\xb0\x6c";
const std::string kFa3 = "\xf3\x8c";
const std::string X = "\xc1\xa1";

PhraseTables Phrases(std::vector<CandidateEntry> traditionalForms) {
    return PhraseTables({{kTou + kFa, "\xee\x5e" + kFa3}}, {}, std::move(traditionalForms));
}

// The review of a conversion by words with these phrases, or by characters, the forms from the phrases.
std::vector<ReviewPlace> Review(const std::string& text, Direction direction, const CharTables& tables,
                                const PhraseTables& phrases, bool byWords) {
    return ReviewList(text, CTextConversion(tables, direction, byWords ? &phrases : nullptr), phrases);
}

std::string Describe(const std::vector<ReviewPlace>& places) {
    std::string text;
    for (const ReviewPlace& place : places) {
        text += std::to_string(place.offset) + ":" + place.character + ">" + place.chosen + "|";
        for (const std::string& other : place.others) text += other;
        text += " ";
    }
    return text;
}

TEST(ReviewListTest, OnlyCharactersNoPhraseDecidedAreListed) {
    const CharTables tables{kFa, kFa2};
    const PhraseTables phrases = Phrases({{kFa, {kFa2, kFa3}}});
    const std::string text = kTou + kFa + " " + kFa + "\r\n" + kFa;
    // The 发 of 头发 is decided by the phrase; the others by the table alone. Offsets count bytes.
    EXPECT_EQ("5:" + kFa + ">" + kFa2 + "|" + kFa3 + " 9:" + kFa + ">" + kFa2 + "|" + kFa3 + " ",
              Describe(Review(text, Direction::ToTraditional, tables, phrases, true)));
    // Without phrases every one counts.
    EXPECT_EQ(3u, Review(text, Direction::ToTraditional, tables, phrases, false).size());
    // The other direction has its own forms: none here.
    EXPECT_TRUE(Review(text, Direction::ToSimplified, tables, phrases, true).empty());
}

TEST(ReviewListTest, TheChosenFormIsWhatTheTableMadeAndTheOthersTheRest) {
    const std::string text = kFa;
    // A table that chooses none of the forms: all of them are the others.
    EXPECT_EQ("0:" + kFa + ">" + X + "|" + kFa2 + kFa3 + " ",
              Describe(Review(text, Direction::ToTraditional, CharTables{kFa, X},
                              Phrases({{kFa, {kFa2, kFa3}}}), true)));
    // Forms that leave no other choice name no place.
    EXPECT_TRUE(Review(text, Direction::ToTraditional, CharTables{kFa, kFa2}, Phrases({{kFa, {kFa2}}}), true)
                    .empty());
    // Characters hidden in trail bytes or cut short at the end are no places.
    const std::string tricky =
        kFa2 + "l\xb7";  // 發 ends in the byte of l, and a lone lead byte ends the text
    EXPECT_EQ("2:l>l|ab ", Describe(Review(tricky, Direction::ToTraditional, CharTables{},
                                           Phrases({{"l", {"a", "b"}}}), true)));
    EXPECT_TRUE(
        Review("\xb7", Direction::ToTraditional, CharTables{}, Phrases({{kFa, {kFa2, kFa3}}}), true).empty());
}

TEST(ReviewListTest, TheShippedFilesLeaveTheHairToThePhrase) {
    CharTables tables;
    PhraseTables phrases;
    ASSERT_EQ(LoadResult::Loaded, LoadTables(tables));
    ASSERT_EQ(PhraseLoadResult::Loaded, LoadPhrases(phrases));
    // 头发和发: only the second 发 is the table's choice, 發 rather than 髮.
    const std::vector<ReviewPlace> places =
        Review(kTou + kFa + "\xba\xcd" + kFa, Direction::ToTraditional, tables, phrases, true);
    ASSERT_EQ(1u, places.size());
    EXPECT_EQ(6u, places[0].offset);
    EXPECT_EQ(kFa2, places[0].chosen);
    EXPECT_EQ(std::vector<std::string>{kFa3}, places[0].others);
}

}  // namespace
