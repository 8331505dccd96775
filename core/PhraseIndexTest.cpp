// PhraseIndexTest.cpp: an index grown by more phrases finds what one built from both lists finds, on random
// phrases and texts.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "core/PhraseIndex.hpp"
#include "core/PhraseTable.hpp"

namespace {

// 甲 乙 丙 丁, and a letter.
const char* const kChars[] = {"\xbc\xd7", "\xd2\xd2", "\xb1\xfb", "\xb6\xa1", "a"};

std::string Chars(std::mt19937& random, std::size_t count) {
    std::string text;
    for (std::size_t k = 0; k < count; ++k) text += kChars[random() % 5];
    return text;
}

std::vector<PhraseEntry> Phrases(std::mt19937& random, std::size_t count) {
    std::vector<PhraseEntry> phrases;
    for (std::size_t k = 0; k < count; ++k)
        phrases.push_back({Chars(random, 1 + random() % 4), Chars(random, 1)});
    return phrases;
}

// The longest of `phrases` that the text holds at p, the first of equal ones, leaving out those of
// `shadowed`.
PhraseMatch LongestOf(const std::vector<PhraseEntry>& phrases, const std::set<std::string>& shadowed,
                      const std::string& text, std::size_t p) {
    PhraseMatch best;
    for (std::size_t k = 0; k < phrases.size(); ++k) {
        const std::string& phrase = phrases[k].phrase;
        if (shadowed.count(phrase) || text.compare(p, phrase.size(), phrase) != 0) continue;
        if (phrase.size() > best.length) best = PhraseMatch{phrase.size(), static_cast<std::uint32_t>(k)};
    }
    return best;
}

}  // namespace

TEST(PhraseIndexTest, AnIndexGrownByMorePhrasesFindsWhatOneBuiltFromBothFinds) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        // Small first lists, so that the pair table grows; phrases of the second that extend the first's
        // move their parents' children.
        const std::vector<PhraseEntry> first = Phrases(random, random() % 40);
        const std::vector<PhraseEntry> more = Phrases(random, random() % 80);
        const PhraseDirectionIndex built =
            PhraseDirectionIndex::Build(std::vector<const std::vector<PhraseEntry>*>{&first, &more}, {});
        const PhraseDirectionIndex grown = PhraseDirectionIndex::Build(first, {}).WithPhrases(more);
        ASSERT_EQ(built.Entries(), grown.Entries());
        std::set<std::string> firstPhrases;
        for (const PhraseEntry& entry : first) firstPhrases.insert(entry.phrase);
        const std::string text = Chars(random, 40);
        const auto* s = reinterpret_cast<const unsigned char*>(text.data());
        std::size_t width;
        for (std::size_t p = 0; p < text.size(); p += width) {
            const CharCode code = PhraseDirectionIndex::CodeAt(s, text.size(), p, width);
            const PhraseMatch expected = built.Longest(s, text.size(), p);
            const PhraseMatch found = grown.Longest(s, text.size(), p);
            ASSERT_EQ(expected.length, found.length) << "round " << round << " at " << p;
            if (expected.length == 0) continue;
            EXPECT_EQ(expected.entry, found.entry);
            EXPECT_EQ(std::string(built.Counterpart(expected.entry), built.CounterpartSize(expected.entry)),
                      std::string(grown.Counterpart(found.entry), grown.CounterpartSize(found.entry)));
            // The filters let every place where a phrase begins through.
            EXPECT_TRUE(grown.Starts().MayStart(code));
            if (p + 4 <= text.size() && code >= 0x100) {
                EXPECT_TRUE(grown.Starts().MayBeginAtPair<true>(s, p));
            }

            // In one walk, each list's own longest: of the second, only phrases the first does not have.
            PhraseMatch before;
            PhraseMatch from;
            const auto split = static_cast<std::uint32_t>(first.size());
            grown.LongestOfTwo(s, text.size(), p, split, before, from);
            const PhraseMatch firstOwn = LongestOf(first, {}, text, p);
            const PhraseMatch moreOwn = LongestOf(more, firstPhrases, text, p);
            EXPECT_EQ(firstOwn.length, before.length);
            if (firstOwn.length != 0) {
                EXPECT_EQ(firstOwn.entry, before.entry);
            }
            EXPECT_EQ(moreOwn.length, from.length);
            if (moreOwn.length != 0) {
                EXPECT_EQ(split + moreOwn.entry, from.entry);
            }
        }
    }
}

// A user's list of terms can give one node thousands of children (测试 followed by every character): each is
// found, and none that is not there, on either side of each.
TEST(PhraseIndexTest, ANodeWithManyChildrenFindsEachAndNoOther) {
    const std::string head = "\xb2\xe2\xca\xd4";  // 测试
    std::vector<PhraseEntry> phrases{{head, "x"}};
    std::vector<std::string> thirds;
    for (unsigned lead = 0xb0; lead <= 0xb8; ++lead) {
        for (unsigned trail = 0xa1; trail <= 0xfe; trail += 2)
            thirds.push_back(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
    for (std::size_t k = 0; k < thirds.size(); ++k) {
        phrases.push_back({head + thirds[k], std::to_string(k)});
        if (k % 7 == 0) phrases.push_back({head + thirds[k] + "a", "long" + std::to_string(k)});
    }
    const std::vector<PhraseEntry> more{{head + "\xb0\xa2", "added"}};  // between two children
    const PhraseDirectionIndex index = PhraseDirectionIndex::Build(phrases, {}).WithPhrases(more);
    const auto find = [&](const std::string& text) {
        const PhraseMatch match =
            index.Longest(reinterpret_cast<const unsigned char*>(text.data()), text.size(), 0);
        return std::string(index.Counterpart(match.entry), index.CounterpartSize(match.entry));
    };
    for (std::size_t k = 0; k < thirds.size(); ++k) {
        EXPECT_EQ(std::to_string(k), find(head + thirds[k] + "b")) << k;
        EXPECT_EQ(k % 7 == 0 ? "long" + std::to_string(k) : std::to_string(k), find(head + thirds[k] + "a"));
        std::string absent = thirds[k];
        ++absent[1];  // the odd trail bytes between the listed ones
        EXPECT_EQ(absent == "\xb0\xa2" ? "added" : "x", find(head + absent)) << k;
    }
    EXPECT_EQ("x", find(head + "\xaf\xa1"));
    EXPECT_EQ("x", find(head + "\xb9\xa1"));
}
