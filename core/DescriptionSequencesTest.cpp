// DescriptionSequencesTest.cpp: which ideographic description sequences conversion by words keeps whole.
#include <gtest/gtest.h>

#include <string>

#include "core/DescriptionSequences.hpp"
#include "core/PhraseTable.hpp"
#include "core/TextConversion.hpp"

namespace {

using Ranges = std::vector<std::pair<std::size_t, std::size_t>>;

Ranges InUtf8(const std::string& text) {
    return text::DescriptionSequences(TextEncoding::Utf8, text.data(), text.size());
}

TEST(DescriptionSequencesTest, CompleteSequencesOnly) {
    // ⿰ takes two operands, ⿲ three; an operand may be a sequence of its own, or any character but a line
    // end.
    EXPECT_EQ(InUtf8(u8"a⿰讠马b"), (Ranges{{1, 10}}));
    EXPECT_EQ(InUtf8(u8"⿲木⿱艹发木x"), (Ranges{{0, 18}}));
    EXPECT_EQ(InUtf8(u8"⿰a b"), (Ranges{{0, 5}}));
    EXPECT_EQ(InUtf8(u8"⿰讠"), Ranges{}) << "cut short by the end";
    EXPECT_EQ(InUtf8(u8"⿰讠\n马"), Ranges{}) << "a line end is no operand";
    EXPECT_EQ(InUtf8("\xE2\xBF\xB0\xFF\xE9\xA9\xAC"), Ranges{}) << "nor a byte that does not decode";
    // An incomplete operator is a character: the scan goes on with the next one.
    EXPECT_EQ(InUtf8(u8"⿰⿰讠马"), (Ranges{{3, 12}}));
    EXPECT_EQ(InUtf8(u8"⿲⿰讠马"), (Ranges{{3, 12}}));
    // 16 levels at most, 64 code points at most.
    std::string deep;
    for (int k = 0; k < 16; ++k) deep += u8"⿰";
    EXPECT_EQ(InUtf8(deep + std::string(17, 'x')), (Ranges{{3, 3 * 16 + 16}}))
        << "the first operator cannot nest so deep";
    // Three operands of three operands of ⿲xxx: 40 code points; one level more makes 121.
    std::string wide = u8"⿲xxx";
    for (int level = 0; level < 2; ++level) wide = u8"⿲" + wide + wide + wide;
    EXPECT_EQ(InUtf8(wide), (Ranges{{0, wide.size()}}));
    EXPECT_EQ(InUtf8(u8"⿲" + wide + wide + wide).front(),
              (std::pair<std::size_t, std::size_t>{3, 3 + wide.size()}));
    // UTF-16 alike; GBK holds no operator.
    const std::u16string units = u"x\u2FF0\u8BA0\u9A6C";
    EXPECT_EQ(text::DescriptionSequences(TextEncoding::Utf16Le, reinterpret_cast<const char*>(units.data()),
                                         units.size() * 2),
              (Ranges{{2, 8}}));
}

TEST(DescriptionSequencesTest, ByWordsASequenceStaysWholeAndCharactersAloneConvert) {
    const CharTables tables{"\xda\xa5\xc2\xed", "\xd3\x85\xf1\x52"};  // 讠马 -> 訁馬
    const PhraseTables phrases({PhraseEntry{"\xda\xa5\xc2\xed", "\xd3\x85\xf1\x52"}}, {});
    std::string text = u8"⿰讠马和讠马";
    CTextConversion(tables, Direction::ToTraditional, &phrases).ConvertUtf8(text);
    EXPECT_EQ(text, u8"⿰讠马和訁馬");
    text = u8"⿰讠马和讠马";
    CTextConversion(tables, Direction::ToTraditional).ConvertUtf8(text);
    EXPECT_EQ(text, u8"⿰訁馬和訁馬") << "by characters, as ever";
}

}  // namespace
