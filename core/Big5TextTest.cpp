// Big5TextTest.cpp: Big5 text read as stretches of characters GBK holds, as lines, and written in another
// encoding.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/TextConversion.hpp"
#include "core/TextStretches.hpp"
#include "core/Transcode.hpp"
#include "tests/support/ShippedTables.hpp"

namespace {

// 許功 (B3 5C, A5 5C: the trail bytes are backslashes), a lone lead byte before LF, € (A3 E1), a user-defined
// code (FA 40), 0x80 and 0xFF.
const std::string kBig5 = std::string("\xB3\x5C\xA5\x5C") + "\\n\xA4\n" + "\xA3\xE1\xFA\x40\x80\xFF";

TEST(Big5TextTest, CharactersKeepTheirBackslashTrailsAndLoneLeadsStayAlone) {
    std::vector<std::pair<std::size_t, std::uint16_t>> seen;
    text::ForEachCharacter(
        TextEncoding::Big5, kBig5.data(), kBig5.size(),
        [&](std::size_t offset, std::size_t, std::uint16_t code) { seen.emplace_back(offset, code); });
    const gbk::CCodec& gbkCodec = gbk::Codec();
    const std::vector<std::pair<std::size_t, std::uint16_t>> expected = {
        {0, gbkCodec.Encode(U'許')},
        {2, gbkCodec.Encode(U'功')},
        {4, '\\'},  // a real backslash
        {5, 'n'},
        {6, gbk::kNoCode},  // A4 before LF: no character
        {7, '\n'},
        {8, 0x80},                      // € is GBK's 80
        {10, gbkCodec.Encode(0xE000)},  // the first user-defined code of each
        {12, gbk::kNoCode},             // 0x80 is U+0080, which GBK does not hold
        {13, gbk::kNoCode},
    };
    EXPECT_NE(expected[0].second, gbk::kNoCode);
    ASSERT_EQ(seen, expected);

    std::vector<std::pair<std::size_t, std::size_t>> lines;
    text::ForEachLineOf(TextEncoding::Big5, kBig5.data(), kBig5.size(),
                        [&](std::size_t begin, std::size_t size) {
                            lines.emplace_back(begin, size);
                            return true;
                        });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], (std::pair<std::size_t, std::size_t>{0, 7}));
    EXPECT_EQ(lines[1], (std::pair<std::size_t, std::size_t>{8, 6}));
}

TEST(Big5TextTest, TranscodesBothWaysAndNamesWhatItCannotWrite) {
    const std::string big5 = "\xB3\x5C\xA5\x5C \xA4\xA4\xA4\xE5";  // 許功 中文
    std::string gbkText, back;
    text::Unwritable unwritable;
    ASSERT_TRUE(text::TranscodeLine(TextEncoding::Big5, big5.data(), big5.size(), TextEncoding::Gbk, gbkText,
                                    unwritable));
    EXPECT_EQ(gbkText, "\xD4\x53\xB9\xA6 \xD6\xD0\xCE\xC4");
    ASSERT_TRUE(text::TranscodeLine(TextEncoding::Gbk, gbkText.data(), gbkText.size(), TextEncoding::Big5,
                                    back, unwritable));
    EXPECT_EQ(back, big5);

    const std::string simplified = "\xD6\xD0\xB9\xFA";  // 中国: Big5 has no 国
    EXPECT_FALSE(text::TranscodeLine(TextEncoding::Gbk, simplified.data(), simplified.size(),
                                     TextEncoding::Big5, back, unwritable));
    EXPECT_EQ(unwritable.column, 2u);
    EXPECT_EQ(unwritable.character, U'国');

    const std::string broken = "\xA4\xA4\xA4";  // a lead byte cut by the end
    EXPECT_FALSE(text::TranscodeLine(TextEncoding::Big5, broken.data(), broken.size(), TextEncoding::Utf8,
                                     back, unwritable));
    EXPECT_EQ(unwritable.column, 2u);
    EXPECT_EQ(unwritable.byte, 0xA4);
}

// Big5 text converts by the rule of Unicode text: its result is what ConvertUtf8 makes of the same text, in
// Big5, whenever Big5 holds that result; when it does not, ConvertBig5 says so. Random texts of characters
// the shipped table lists, the backslash-trail ones, ASCII and characters GBK lacks (user-defined codes).
TEST(Big5TextTest, ConvertsAsItsUnicodeForm) {
    const CharTables tables = testsupport::ShippedTables();
    ASSERT_FALSE(tables.Simplified().empty());
    std::vector<char32_t> pool = {U'許', U'功', U'蓋', U'€', U'a', U' ', U'\\', U'\n', U'，', 0xE000, 0xF6B1};
    for (const std::string* side : {&tables.Simplified(), &tables.Traditional()}) {
        gbk::DecodeEach(*side, [&](char32_t cp) {
            if (big5::Codec().Holds(cp)) pool.push_back(cp);
        });
    }
    ASSERT_GT(pool.size(), 2000u);
    std::mt19937 random(950);
    int refused = 0, converted = 0;
    for (int round = 0; round < 2000; ++round) {
        std::string big5Text, utf8Text;
        for (std::size_t n = random() % 30; n > 0; --n) {
            const char32_t cp = pool[random() % pool.size()];
            text::AppendCodePoint(big5Text, cp, TextEncoding::Big5);
            text::AppendCodePoint(utf8Text, cp, TextEncoding::Utf8);
        }
        for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
            const CTextConversion conversion(tables, direction);
            std::string expectedUtf8 = utf8Text, expected, big5Result = big5Text;
            conversion.ConvertUtf8(expectedUtf8);
            text::Unwritable unwritable;
            const bool holds =
                text::TranscodeLine(TextEncoding::Utf8, expectedUtf8.data(), expectedUtf8.size(),
                                    TextEncoding::Big5, expected, unwritable);
            ASSERT_EQ(conversion.ConvertBig5(big5Result), holds) << utf8Text;
            if (holds) {
                ASSERT_EQ(big5Result, expected) << utf8Text;
                ++converted;
            } else {
                ++refused;
            }
        }
    }
    EXPECT_GT(converted, 1000);  // both cases are met often
    EXPECT_GT(refused, 500);
}

}  // namespace

namespace {

// Whole runs of Big5 lines, long enough for the 64-byte windows, written in GBK and converted in one pass:
// where that succeeds the result is the text's own conversion in GBK; a byte no character holds (0x80,
// 0xFF, a lead byte without its trail) refuses it, and so does a character GBK lacks.
TEST(Big5TextTest, RunsConvertInPlaceIntoGbkAsTheirText) {
    const CharTables tables = testsupport::ShippedTables();
    // Not €: GBK writes it in one byte, and the run would change its length.
    std::vector<char32_t> pool = {U'許', U'功', U'a', U'\\', U'\n', U'，', U'ａ'};
    gbk::DecodeEach(tables.Traditional(), [&](char32_t cp) {
        if (big5::Codec().Holds(cp) && gbk::Codec().Encode(cp) != gbk::kNoCode) pool.push_back(cp);
    });
    ASSERT_GT(pool.size(), 1000u);
    std::string notInGbk;
    for (char32_t cp = 0x2000; cp < 0x3000 && notInGbk.empty(); ++cp) {
        if (big5::Codec().Holds(cp) && gbk::Codec().Encode(cp) == gbk::kNoCode)
            text::AppendCodePoint(notInGbk, cp, TextEncoding::Big5);
    }
    ASSERT_EQ(2u, notInGbk.size());
    const std::vector<std::string> spoilers = {"\x80", "\xFF", "\xA4\n", notInGbk};
    std::mt19937 random(5);
    int spoiled = 0;
    for (int round = 0; round < 400; ++round) {
        std::string big5Text, gbkText;
        std::vector<std::size_t> starts;  // where characters begin: a spoiler goes there
        for (std::size_t n = random() % 300 + 1; n > 0; --n) {
            const char32_t cp = pool[random() % pool.size()];
            starts.push_back(big5Text.size());
            text::AppendCodePoint(big5Text, cp, TextEncoding::Big5);
            text::AppendCodePoint(gbkText, cp, TextEncoding::Gbk);
        }
        const bool spoil = round % 4 == 0;
        if (spoil) {
            big5Text.insert(starts[random() % starts.size()], spoilers[round / 4 % spoilers.size()]);
            ++spoiled;
        }
        for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
            const CTextConversion conversion(tables, direction);
            std::string run = big5Text, expected = gbkText;
            conversion.ConvertGbk(expected);
            const bool converted = conversion.ConvertBig5LinesToGbk(run.data(), run.size());
            if (spoil) {
                EXPECT_FALSE(converted) << round;
            } else {
                ASSERT_TRUE(converted) << round;
                ASSERT_EQ(expected, run) << round;
            }
        }
    }
    EXPECT_EQ(100, spoiled);
}

}  // namespace
