// Utf8ValidityTest.cpp: SkipValid stops exactly where decoding one code point at a time stops.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/Utf8.hpp"
#include "core/Utf8Validity.hpp"

namespace {

std::size_t ReferenceValidLength(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t at = 0;
    while (at < text.size()) {
        char32_t cp;
        const int length = utf8::DecodeOne(p + at, text.size() - at, cp);
        if (length <= 0) break;
        at += static_cast<std::size_t>(length);
    }
    return at;
}

std::size_t ValidLength(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    return static_cast<std::size_t>(utf8::SkipValid(p, p + text.size()) - p);
}

// Texts of valid sequences of every length, with the lead bytes whose second byte has a narrower range, and
// now and then a byte that breaks the sequence it lands in, at every position of the 64-byte blocks.
TEST(Utf8ValidityTest, StopsWhereDecodingStops) {
    const char32_t samples[] = {'a',    0x7F,   0x80,    0x7FF,   0x800,   0xFFF,   0x1000,   0x4E2D,  0xD7FF,
                                0xE000, 0xFFFF, 0x10000, 0x3FFFF, 0x40000, 0xFFFFF, 0x100000, 0x10FFFF};
    const unsigned char breakers[] = {0x80, 0xBF, 0xC0, 0xC1, 0xC2, 0xE0, 0xED,
                                      0xF0, 0xF4, 0xF5, 0xFF, 0x9F, 0xA0};
    std::mt19937 random(2024);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const std::size_t size = random() % 300;
        while (text.size() < size) {
            if (random() % 40 == 0) {
                text += static_cast<char>(breakers[random() % sizeof breakers]);
            } else {
                utf8::Append(text, samples[random() % (sizeof samples / sizeof samples[0])]);
            }
        }
        if (random() % 4 == 0 && !text.empty()) text.pop_back();  // maybe cut the last sequence
        ASSERT_EQ(ReferenceValidLength(text), ValidLength(text)) << "round " << round;
    }
}

TEST(Utf8ValidityTest, LongRunsOfOneKind) {
    for (const char32_t cp : {char32_t{'x'}, char32_t{0xE9}, char32_t{0x4E2D}, char32_t{0x1F600}}) {
        std::string text;
        for (int k = 0; k < 1000; ++k) utf8::Append(text, cp);
        EXPECT_EQ(text.size(), ValidLength(text));
        for (const std::size_t cut : {std::size_t{1}, text.size() / 2 + 1, text.size() - 1}) {
            std::string broken = text;
            broken[cut] = static_cast<char>(0xFF);
            EXPECT_EQ(ReferenceValidLength(broken), ValidLength(broken));
        }
    }
}

}  // namespace
