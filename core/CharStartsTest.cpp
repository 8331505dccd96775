// CharStartsTest.cpp: the bit masks of lead bytes and character starts against a walk over the bytes.
#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "core/CharStarts.hpp"
#include "core/Gbk.hpp"

namespace {

struct Expected {
    std::uint64_t lead = 0;
    std::uint64_t starts = 0;
};

Expected Walk(const unsigned char* p) {
    Expected e;
    for (int j = 0; j < 64; ++j) {
        if (gbk::IsLeadByte(p[j])) e.lead |= std::uint64_t{1} << j;
    }
    for (int j = 0; j < 64; j += gbk::IsLeadByte(p[j]) ? 2 : 1) {
        if (gbk::IsLeadByte(p[j])) e.starts |= std::uint64_t{1} << j;
    }
    return e;
}

TEST(CharStartsTest, MasksAgreeWithAWalkOverTheBytes) {
    std::mt19937 random(64);
    // Mostly bytes near the edges of the lead range, in runs of every length and parity.
    const unsigned char edges[] = {0x00, 0x40, 0x7F, 0x80, 0x81, 0xA1, 0xB0, 0xFE, 0xFF};
    unsigned char block[64];
    for (int round = 0; round < 20000; ++round) {
        const int leadShare = round % 11;
        for (unsigned char& b : block) {
            const unsigned pick = random();
            b = pick % 10 < static_cast<unsigned>(leadShare) ? edges[4 + pick / 10 % 4]
                                                             : edges[pick / 10 % 9];
            if (pick % 97 == 0) b = static_cast<unsigned char>(pick >> 8);
        }
        const Expected e = Walk(block);
        ASSERT_EQ(e.lead, gbk::LeadMask(block)) << "round " << round;
        ASSERT_EQ(e.lead, gbk::LeadMaskPortable(block)) << "round " << round;
        ASSERT_EQ(e.starts, gbk::PairStarts(e.lead)) << "round " << round;
    }
}

TEST(CharStartsTest, RunsReachingTheLastBitAndEveryByteValue) {
    unsigned char block[64];
    for (int value = 0; value < 256; ++value) {
        for (int from = 0; from < 64; ++from) {
            for (int j = 0; j < 64; ++j) block[j] = j < from ? 'a' : static_cast<unsigned char>(value);
            const Expected e = Walk(block);
            ASSERT_EQ(e.lead, gbk::LeadMask(block)) << value << " from " << from;
            ASSERT_EQ(e.lead, gbk::LeadMaskPortable(block)) << value << " from " << from;
            ASSERT_EQ(e.starts, gbk::PairStarts(e.lead)) << value << " from " << from;
        }
    }
}

// The mask of the byte values in a range.
TEST(CharStartsTest, ValueMasksAgreeWithTheBytes) {
    std::mt19937 random(65);
    unsigned char block[64];
    for (int round = 0; round < 4000; ++round) {
        for (unsigned char& b : block) b = static_cast<unsigned char>(random());
        auto low = static_cast<unsigned char>(random());
        auto high = static_cast<unsigned char>(round % 3 == 0 ? low : random());
        if (low > high) std::swap(low, high);
        std::uint64_t range = 0;
        for (int j = 0; j < 64; ++j) {
            range |= static_cast<std::uint64_t>(block[j] >= low && block[j] <= high) << j;
        }
        ASSERT_EQ(range, gbk::RangeMask(block, low, high)) << "round " << round;
    }
}

}  // namespace
