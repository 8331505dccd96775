// Big5CodecTest.cpp: the Big5 codec: known codes, every code both ways, and agreement with the system's 950.
#include <gtest/gtest.h>

#include <cstdint>

#include "core/Big5Codec.hpp"
#include "core/GbkCodec.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const big5::CCodec& Codec() { return big5::Codec(); }

TEST(Big5CodecTest, KnownCharacters) {
    EXPECT_EQ(Codec().Decode(0xA4A4), U'中');
    EXPECT_EQ(Codec().Decode(0xA3E1), U'€');
    EXPECT_EQ(Codec().Decode(0xB35C), U'許');  // the trail byte is the backslash's
    EXPECT_EQ(Codec().Decode(0xA55C), U'功');
    EXPECT_EQ(Codec().Encode(U'許'), 0xB35C);
    EXPECT_EQ(Codec().Decode(0xF9D6), U'碁');             // the Eten hanzi
    EXPECT_EQ(Codec().Decode(0xF9FE), U'▓');              // and box drawing
    EXPECT_EQ(Codec().Decode(0xC6A1), char32_t{0xF6B1});  // user-defined on Windows, not the Eten kana
    EXPECT_EQ(Codec().Decode(0xFA40), char32_t{0xE000});
    EXPECT_EQ(Codec().Decode(0x8140), char32_t{0xEEB8});
    EXPECT_EQ(Codec().Decode(0xFEFE), char32_t{0xE310});
    EXPECT_EQ(Codec().Decode(0x80), char32_t{0x80});
    EXPECT_EQ(Codec().Decode(0x5C), U'\\');
    EXPECT_EQ(Codec().Decode(0xFF), big5::kNoCharacter);
    EXPECT_EQ(Codec().Decode(0xA1), big5::kNoCharacter);    // a lone lead byte
    EXPECT_EQ(Codec().Decode(0xA480), big5::kNoCharacter);  // trail bytes 7F to A0 are none
    EXPECT_EQ(Codec().Decode(0xA4A0), big5::kNoCharacter);
    EXPECT_EQ(Codec().Decode(0xA3FE), big5::kNoCharacter);  // an empty code of a standard row
    EXPECT_EQ(Codec().Encode(U'国'), big5::kNoCode);        // Simplified
    EXPECT_EQ(Codec().Encode(U'ア'), big5::kNoCode);
    EXPECT_EQ(Codec().Encode(U'한'), big5::kNoCode);
    EXPECT_EQ(Codec().Encode(U'😀'), big5::kNoCode);
    // Two codes for one character: the system writes these with the higher one.
    EXPECT_EQ(Codec().Decode(0xA2CC), U'十');
    EXPECT_EQ(Codec().Encode(U'十'), 0xA451);
    EXPECT_EQ(Codec().Decode(0xA2A4), U'═');
    EXPECT_EQ(Codec().Encode(U'═'), 0xF9F9);
    EXPECT_EQ(Codec().Encode(U'╭'), 0xA27E);  // the other box drawing with the lower one (F9FA too)
    EXPECT_EQ(Codec().Decode(0xF9FA), U'╭');
    EXPECT_EQ(Codec().Decode(0xC94A), char32_t{0xFA0C});  // 兀's second code is a compatibility ideograph
}

TEST(Big5CodecTest, EveryCodeRoundTripsButTheDuplicates) {
    int characters = 0, duplicates = 0;
    for (std::uint32_t code = 0; code < 0x10000; ++code) {
        const char32_t cp = Codec().Decode(static_cast<std::uint16_t>(code));
        if (cp == big5::kNoCharacter) continue;
        ++characters;
        if (code >= 0x100) {
            EXPECT_TRUE(big5::IsLeadByte(static_cast<unsigned char>(code >> 8)) &&
                        big5::IsTrailByte(static_cast<unsigned char>(code)))
                << std::hex << code;
        }
        const std::uint16_t back = Codec().Encode(cp);
        if (back != code) {
            ++duplicates;
            ASSERT_EQ(Codec().Decode(back), cp) << std::hex << code;
        }
    }
    // ASCII and 0x80; 13,503 standard and Eten codes (the euro among them); 6,217 user-defined codes.
    EXPECT_EQ(characters, 129 + 13503 + 6217);
    EXPECT_EQ(duplicates, 10);
    // Each character Big5 holds and GBK holds too has one code in each.
    int shared = 0;
    for (char32_t cp = 0x4E00; cp <= 0x9FFF; ++cp)
        shared += Codec().Holds(cp) && gbk::Codec().Encode(cp) != gbk::kNoCode;
    EXPECT_GT(shared, 13000);
}

#ifdef _WIN32
// The codec must agree with the system's code page 950 on every code and every character, or a Big5 file
// would read differently here than in any other program on the machine.
TEST(Big5CodecTest, AgreesWithTheSystemOnEveryCode) {
    for (std::uint32_t code = 0; code < 0x10000; ++code) {
        char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code)};
        const int size = code < 0x100 ? 1 : 2;
        wchar_t wide[4];
        const int n =
            ::MultiByteToWideChar(950, MB_ERR_INVALID_CHARS, size == 1 ? bytes + 1 : bytes, size, wide, 4);
        const bool lead = code < 0x100 ? big5::IsLeadByte(static_cast<unsigned char>(code)) : code < 0x8140;
        if (lead) continue;  // not a code of one character in either form
        const char32_t ours = Codec().Decode(static_cast<std::uint16_t>(code));
        if (n == 1) {
            ASSERT_EQ(ours, char32_t{wide[0]}) << std::hex << code;
        } else {
            ASSERT_EQ(ours, big5::kNoCharacter) << std::hex << code;
        }
    }
}

TEST(Big5CodecTest, AgreesWithTheSystemOnEveryCharacter) {
    for (char32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp < 0xE000) continue;
        // The system writes U+F8F8 as the single byte FF, which it does not read back; no text holds it.
        if (cp == 0xF8F8) continue;
        const wchar_t wide[1] = {static_cast<wchar_t>(cp)};
        char bytes[4];
        BOOL defaulted = FALSE;
        const int n =
            ::WideCharToMultiByte(950, WC_NO_BEST_FIT_CHARS, wide, 1, bytes, 4, nullptr, &defaulted);
        std::uint16_t theirs = big5::kNoCode;
        if (n == 1 && !defaulted) theirs = static_cast<unsigned char>(bytes[0]);
        if (n == 2 && !defaulted) {
            theirs = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) << 8 |
                                                static_cast<unsigned char>(bytes[1]));
        }
        ASSERT_EQ(Codec().Encode(cp), theirs) << std::hex << static_cast<std::uint32_t>(cp);
    }
}
#endif

}  // namespace
