// Big5TextTest.cpp: Big5 text read as stretches of characters GBK holds, as lines, and written in another
// encoding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/TextStretches.hpp"
#include "core/Transcode.hpp"

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

}  // namespace
