// ChainPassesTest.cpp: the passes of the named conversions give what the chain's rule gives, on random
// dictionaries, tables and texts.
#include <gtest/gtest.h>

#include <random>

#include "core/ConversionChain.hpp"
#include "core/Parallel.hpp"
#include "core/PhraseIndex.hpp"

namespace {

const char* const kNames[] = {"s2t",  "t2s",   "s2tw",  "tw2s", "s2twp", "tw2sp", "s2hk",
                              "hk2s", "s2hkp", "hk2sp", "t2tw", "tw2t",  "t2hk",  "hk2t"};
// 甲 乙 丙 丁 戊 己, and one whose trail byte is FE.
const char* const kChars[] = {"\xbc\xd7", "\xd2\xd2", "\xb1\xfb", "\xb6\xa1",
                              "\xce\xec", "\xbc\xba", "\xb0\xfe"};

class Generator {
  public:
    explicit Generator(unsigned seed) : m_random(seed) {}
    std::size_t Below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random);
    }
    std::string Chars(std::size_t count) {
        std::string text;
        for (std::size_t k = 0; k < count; ++k) text += kChars[Below(7)];
        return text;
    }
    // Mostly characters, with letters and line ends between them.
    std::string Text(std::size_t count) {
        std::string text;
        for (std::size_t k = 0; k < count; ++k) text += Below(6) ? kChars[Below(7)] : Below(4) ? "a" : "\r\n";
        return text;
    }
    // A direct table: some characters, each to one that is not among them.
    CharTables Table() {
        std::string search, result;
        for (std::size_t k = 0; k < 3; ++k) {
            search += kChars[k];
            result += kChars[3 + Below(4)];
        }
        return CharTables{search, result};
    }
    PhraseTables Dictionaries() {
        std::vector<PhraseDictionary> dictionaries;
        for (const char* name :
             {"STPhrases", "STCharacters", "TSPhrases", "TSCharacters", "TWPhrases", "TWVariantsPhrases",
              "TWVariants", "TWPhrasesRev", "TWVariantsRevPhrases", "TWVariantsRev", "HKPhrases",
              "HKVariantsPhrases", "HKVariants", "HKPhrasesRev", "HKVariantsRevPhrases", "HKVariantsRev"}) {
            const std::string kind = name;
            const bool characters = kind.find("Phrases") == std::string::npos;
            PhraseDictionary dictionary{name, {}};
            // Now and then a large one, whose filters are larger than the others'.
            for (std::size_t k = Below(8) == 0 ? 40 + Below(40) : Below(5); k > 0; --k) {
                // Now and then a dictionary of characters gives two, which the passes cannot map; phrases may
                // begin with a letter or hold one, as OpenCC's U盤 and PN結 do.
                dictionary.entries.push_back(characters
                                                 ? PhraseEntry{Chars(1), Chars(Below(12) ? 1 : 2)}
                                                 : PhraseEntry{(Below(4) ? "" : "a") + Chars(1 + Below(3)),
                                                               Chars(1 + Below(3)) + (Below(6) ? "" : "a")});
            }
            dictionaries.push_back(std::move(dictionary));
        }
        dictionaries.push_back({"CJK_Compatibility_Ideographs", {}});
        return PhraseTables(std::move(dictionaries));
    }

  private:
    std::mt19937 m_random;
};

TEST(ChainPassesTest, EveryNameGivesWhatItsRuleGives) {
    Generator gen(20261208);
    std::size_t byPasses = 0;
    for (int round = 0; round < 300; ++round) {
        const CharTables tables = gen.Table();
        const PhraseTables phrases = gen.Dictionaries();
        for (const char* name : kNames) {
            CConversionChain chain;
            std::string error;
            ASSERT_TRUE(CConversionChain::Build(name, phrases, tables, chain, error)) << error;
            byPasses += chain.ConvertsByPasses();
            // Long enough to cross windows of 64 bytes; now and then a lone lead byte at the end.
            for (const std::size_t size : {gen.Below(8), 40 + gen.Below(200)}) {
                std::string text = gen.Text(size) + (gen.Below(5) ? "" : "\xb0");
                std::string expected = text;
                chain.ConvertByRule(expected);
                chain.Convert(text);
                ASSERT_EQ(expected, text) << name << " round " << round;
            }
        }
    }
    EXPECT_GT(byPasses, 300u * 14 / 2) << "most chains run by the passes";
}

// The one scan is made by the first conversion that asks for it: conversions that start together on several
// threads, with a chain and its copy, all wait for it and give what the rule gives.
TEST(ChainPassesTest, ConversionsStartingTogetherShareTheScanMadeOnFirstUse) {
    Generator gen(11);
    const CharTables tables = gen.Table();
    const PhraseTables phrases = gen.Dictionaries();
    for (const char* name : {"s2twp", "s2hkp"}) {
        CConversionChain chain;
        std::string error;
        ASSERT_TRUE(CConversionChain::Build(name, phrases, tables, chain, error)) << error;
        const CConversionChain copy = chain;
        std::vector<std::string> texts;
        for (int k = 0; k < 16; ++k) texts.push_back(gen.Text(300));
        std::vector<std::string> converted = texts;
        parallel::ForEachPart(texts.size(),
                              [&](std::size_t k) { (k % 2 ? copy : chain).Convert(converted[k]); });
        for (std::size_t k = 0; k < texts.size(); ++k) {
            chain.ConvertByRule(texts[k]);
            EXPECT_EQ(texts[k], converted[k]) << name << " text " << k;
        }
    }
}

// The starts of several dictionaries in one pass: a place passes exactly where it passes for one of them,
// their filters of different sizes included.
TEST(ChainPassesTest, UnitedStartsPassWhereAnyDictionarysDo) {
    Generator gen(7);
    for (int round = 0; round < 40; ++round) {
        std::vector<PhraseDictionary> dictionaries{{"small", {}}, {"large", {}}};
        for (std::size_t k = 1 + gen.Below(3); k > 0; --k)
            dictionaries[0].entries.push_back({gen.Chars(2), gen.Chars(2)});
        for (std::size_t k = 300; k > 0; --k)
            dictionaries[1].entries.push_back(
                {(gen.Below(9) ? "" : "a") + gen.Chars(1 + gen.Below(3)), gen.Chars(1)});
        const PhraseTables phrases(std::move(dictionaries));
        const CPhraseStarts& small = phrases.Dictionary("small")->Starts();
        const CPhraseStarts& large = phrases.Dictionary("large")->Starts();
        const CPhraseStarts united = CPhraseStarts::Union({&small, &large});
        const std::string text = gen.Text(400) + "xxxx";
        const auto* s = reinterpret_cast<const unsigned char*>(text.data());
        for (std::size_t p = 0; p + 4 <= text.size(); ++p) {
            ASSERT_EQ(united.MayBeginAtPair<true>(s, p),
                      small.MayBeginAtPair<true>(s, p) || large.MayBeginAtPair<true>(s, p));
            ASSERT_EQ(united.MayBeginAtSingle(s, p),
                      small.MayBeginAtSingle(s, p) || large.MayBeginAtSingle(s, p));
        }
    }
}

}  // namespace
