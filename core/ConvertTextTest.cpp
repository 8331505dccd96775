// ConvertTextTest.cpp: the conversion's exact behaviour on small hand-made tables.
#include <gtest/gtest.h>

#include "core/ConvertText.hpp"
#include "tests/reference/LiteralConversion.hpp"

namespace {

// Three abstract two-byte characters and a few real ones.
const std::string A = "\xb0\xa1";  // 啊
const std::string B = "\xb0\xa2";
const std::string C = "\xb0\xa3";
const std::string D = "\xb0\xa4";
const std::string kFa = "\xb7\xa2";   // 发
const std::string kFa2 = "\xb0\x6c";  // 發: trail byte is the letter l

using Convert = void (*)(std::string&, Direction, const CharTables&);

// Every case runs through both routines: the literal one is the reference, the other must agree.
class ConvertTextTest : public ::testing::TestWithParam<Convert> {
  protected:
    std::string Run(std::string text, Direction direction, const CharTables& tables) {
        GetParam()(text, direction, tables);
        return text;
    }
};

TEST_P(ConvertTextTest, PlainConversionBothWays) {
    const CharTables t{A + kFa, B + kFa2};
    EXPECT_EQ("x" + B + "y" + kFa2 + "\r\n", Run("x" + A + "y" + kFa + "\r\n", Direction::ToTraditional, t));
    EXPECT_EQ(A + kFa, Run(B + kFa2, Direction::ToSimplified, t));
    EXPECT_EQ("", Run("", Direction::ToTraditional, t));
    EXPECT_EQ("plain ASCII 123", Run("plain ASCII 123", Direction::ToTraditional, t));
    EXPECT_EQ("plain ASCII 123", Run("plain ASCII 123", Direction::ToSimplified, t));
}

TEST_P(ConvertTextTest, ChainedReplacementsConvertAgain) {
    const CharTables t{A + B, B + C};
    EXPECT_EQ(C + C, Run(A + B, Direction::ToTraditional, t));
    // The chain also reaches occurrences before the scan position: A becomes B everywhere, then B becomes C.
    EXPECT_EQ(C + "-" + C + "-" + C, Run(A + "-" + A + "-" + B, Direction::ToTraditional, t));
    // A B produced at or before the last position is never looked up again.
    EXPECT_EQ(B, Run(A, Direction::ToTraditional, t));
    EXPECT_EQ("x" + B, Run("x" + A, Direction::ToTraditional, t));
}

TEST_P(ConvertTextTest, OnlyTheFirstOccurrenceInTheTableCounts) {
    const CharTables t{A + C + A, B + C + D};
    EXPECT_EQ(B, Run(A, Direction::ToTraditional, t));
    EXPECT_EQ(C,
              Run(C, Direction::ToTraditional, t));  // listed with an identical counterpart: nothing happens
}

TEST_P(ConvertTextTest, TrailBytesAreNeverTakenForLetters) {
    // The table lists the letter l; 發 ends in l but must stay whole, in the text and in the table.
    const CharTables t{"l" + kFa2, "L" + kFa};
    EXPECT_EQ(kFa + "L", Run(kFa2 + "l", Direction::ToTraditional, t));
    const CharTables trailInTable{kFa2, kFa};
    EXPECT_EQ("l", Run("l", Direction::ToTraditional, trailInTable));
    // The l inside 發 on the table is no entry for the letter l, and a lone 0xB0 is no entry for 發's lead
    // byte.
    const CharTables across{kFa2 + kFa2, A + A};
    EXPECT_EQ("l\xb0", Run("l\xb0", Direction::ToTraditional, across));
}

TEST_P(ConvertTextTest, EmptyAndMisalignedTables) {
    EXPECT_EQ(A + B, Run(A + B, Direction::ToTraditional, CharTables{"", B + C}));
    // An empty result table removes every listed character.
    EXPECT_EQ("x", Run(A + "x" + A, Direction::ToTraditional, CharTables{A + B, ""}));
    // ...but the text shrinks under the scan, which then reads B's trail byte as a lone lead byte and misses
    // B.
    EXPECT_EQ("x" + B, Run(A + "x" + B, Direction::ToTraditional, CharTables{A + B, ""}));
    // A result table shorter than needed maps to the shorter run it holds at that offset.
    EXPECT_EQ(
        "\xb0"
        "x",
        Run(B + "x", Direction::ToTraditional, CharTables{A + B, C + "\xb0"}));
    // Misaligned: A maps to the trail byte of C followed by the lead byte of D.
    EXPECT_EQ("\xa3\xb0", Run(A, Direction::ToTraditional, CharTables{"x" + A, C + D}));
}

TEST_P(ConvertTextTest, ShrinkingResultsKeepScanningToTheOriginalLength) {
    // A becomes the single byte q and B would vanish. After the first replacement the text is q B q x; the
    // scan goes on at byte 2, which now is the middle of B, reads "\xa2q" there, finds nothing, and B
    // survives.
    const CharTables t{A + B, "q"};
    EXPECT_EQ("q" + B + "qx", Run(A + B + A + "x", Direction::ToTraditional, t));
    // Positions past the shrunken end are empty characters; nothing breaks.
    EXPECT_EQ("", Run(A + A + A, Direction::ToTraditional, CharTables{A, ""}));
}

TEST_P(ConvertTextTest, LoneTrailingLeadByte) {
    const CharTables t{A + "\xb0", B + "\xb7\xa2"};
    // The lone 0xB0 is a character of its own: it matches only the lone lead byte at the table's end.
    EXPECT_EQ(B + kFa, Run(A + "\xb0", Direction::ToTraditional, t));
    // Without such an entry it stays, and the characters beginning with 0xB0 are untouched.
    EXPECT_EQ(B + "\xb0", Run(A + "\xb0", Direction::ToTraditional, CharTables{A, B}));
}

INSTANTIATE_TEST_SUITE_P(Routines, ConvertTextTest, ::testing::Values(&ConvertTextLiteral, &ConvertText),
                         [](const auto& info) { return info.index == 0 ? "Literal" : "Fast"; });

}  // namespace
