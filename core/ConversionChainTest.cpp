// ConversionChainTest.cpp: the rules of the named conversions where they decide, on tiny dictionaries.
#include <gtest/gtest.h>

#include "core/ConversionChain.hpp"
#include "core/TextConversion.hpp"

namespace {

// Abstract two-byte GBK characters: 甲 乙 丙 丁 戊 and 己.
const std::string kJia = "\xbc\xd7";
const std::string kYi = "\xd2\xd2";
const std::string kBing = "\xb1\xfb";
const std::string kDing = "\xb6\xa1";
const std::string kWu = "\xce\xec";
const std::string kJi = "\xbc\xba";

PhraseTables Dictionaries(std::vector<PhraseDictionary> dictionaries) {
    return PhraseTables(std::move(dictionaries));
}

std::string Convert(const char* name, const PhraseTables& phrases, const CharTables& tables,
                    std::string text) {
    CConversionChain chain;
    std::string error;
    EXPECT_TRUE(CConversionChain::Build(name, phrases, tables, chain, error)) << error;
    chain.Convert(text);
    return text;
}

// Every dictionary the names need, empty but for the ones given.
std::vector<PhraseDictionary> With(std::vector<PhraseDictionary> given) {
    for (const char* name : {"STPhrases", "STCharacters", "TSPhrases", "TSCharacters", "TWPhrases",
                             "TWVariantsPhrases", "TWVariants", "TWPhrasesRev", "TWVariantsRevPhrases",
                             "TWVariantsRev", "HKPhrases", "HKVariantsPhrases", "HKVariants", "HKPhrasesRev",
                             "HKVariantsRevPhrases", "HKVariantsRev", "CJK_Compatibility_Ideographs"}) {
        given.push_back({name, {}});  // of equal names the first counts
    }
    return given;
}

TEST(ConversionChainTest, ALaterStepNeverReachesAcrossASegment) {
    // STPhrases makes 甲乙 one segment: TWPhrases' 乙丙 spans two and is not found; without the segment it
    // is.
    const PhraseTables phrases = Dictionaries(
        With({{"STPhrases", {{kJia + kYi, kJia + kYi}}}, {"TWPhrases", {{kYi + kBing, kWu + kWu}}}}));
    const CharTables tables;
    EXPECT_EQ(kJia + kYi + kBing, Convert("s2twp", phrases, tables, kJia + kYi + kBing));
    EXPECT_EQ(kDing + kWu + kWu, Convert("s2twp", phrases, tables, kDing + kYi + kBing));
    // t2tw has no segmentation: the whole text is one segment.
    const PhraseTables variants = Dictionaries(
        With({{"STPhrases", {{kJia + kYi, kJia + kYi}}}, {"TWVariantsPhrases", {{kYi + kBing, kWu + kWu}}}}));
    EXPECT_EQ(kJia + kWu + kWu, Convert("t2tw", variants, tables, kJia + kYi + kBing));
}

// The second step reads the text as the first leaves it: its phrases are found through the characters the
// first maps, inside a segmentation phrase's counterpart, and between two such phrases only up to the next.
TEST(ConversionChainTest, TheSecondStepReadsWhatTheFirstWrote) {
    const PhraseTables phrases =
        Dictionaries(With({{"STPhrases", {{kYi + kBing, kYi + kBing}, {kBing + kDing, kJia + kYi}}},
                           {"STCharacters", {{kDing, kJia}}},
                           {"TWPhrases", {{kJia + kYi, kWu + kWu}, {kJia, kJi}}}}));
    const CharTables tables;
    for (const auto& [text, expected] : std::vector<std::pair<std::string, std::string>>{
             {kDing + kYi, kWu + kWu},                 // 丁 becomes 甲 first
             {kBing + kDing, kWu + kWu},               // the counterpart 甲乙 of the phrase 丙丁
             {kJia + kYi + kBing, kJi + kYi + kBing},  // 甲乙 would reach into the phrase 乙丙: 甲 alone
             {kDing + kYi + kBing, kJi + kYi + kBing}}) {  // the same through the characters
        EXPECT_EQ(expected, Convert("s2twp", phrases, tables, text));
        CConversionChain chain;
        std::string error;
        ASSERT_TRUE(CConversionChain::Build("s2twp", phrases, tables, chain, error)) << error;
        std::string byRule = text;
        chain.ConvertByRule(byRule);
        EXPECT_EQ(expected, byRule);
    }
}

// A counterpart that ends in a lone lead byte keeps it within its segment: the next segment's characters
// begin where they began, and the second step finds 丁 there.
TEST(ConversionChainTest, ACounterpartEndingInALoneLeadByteKeepsItToItself) {
    const PhraseTables phrases =
        Dictionaries(With({{"STPhrases", {{kJia + kYi, kBing + "\xfb"}}}, {"TWPhrases", {{kDing, kWu}}}}));
    const CharTables tables;
    EXPECT_EQ(kBing + "\xfb" + kWu + kWu, Convert("s2twp", phrases, tables, kJia + kYi + kDing + kDing));
}

TEST(ConversionChainTest, TheFirstDictionaryWithAKeyWinsEvenWhenALaterOneHasALongerKey) {
    const PhraseTables phrases =
        Dictionaries(With({{"TWPhrases", {{kJia + kYi, kBing + kBing}}},
                           {"TWVariantsPhrases", {{kJia + kYi + kBing, kDing + kDing + kDing}}}}));
    const CharTables tables;
    EXPECT_EQ(kBing + kBing + kBing, Convert("s2twp", phrases, tables, kJia + kYi + kBing));
}

TEST(ConversionChainTest, TheTableConvertsWhatNoDictionaryTakesAndTheCharacterEntriesComeFirst) {
    // The table turns 甲 into 乙 and 丙 into 丁; STCharacters says 丙 becomes 己; the step after reads the
    // result.
    const CharTables tables{kJia + kBing, kYi + kDing};
    const PhraseTables phrases =
        Dictionaries(With({{"STCharacters", {{kBing, kJi}}}, {"TWVariants", {{kYi, kWu}}}}));
    EXPECT_EQ(kWu + kJi + "x", Convert("s2tw", phrases, tables, kJia + kBing + "x"));
    // The other direction's steps use the table the other way round.
    EXPECT_EQ(kJia + kBing, Convert("t2s", phrases, tables, kYi + kDing));
    // Names without a table step leave what no dictionary takes as it is.
    EXPECT_EQ(kJia + kWu, Convert("t2tw", phrases, tables, kJia + kYi));
}

TEST(ConversionChainTest, CompatibilityIdeographsAreUnifiedFirst) {
    const std::string compat = "\xfd\x9c";  // U+F92C, a compatibility form of 郎 (C0C9)
    const std::string lang = "\xc0\xc9";
    const PhraseTables phrases = Dictionaries(With(
        {{"CJK_Compatibility_Ideographs", {{compat, lang}}}, {"STPhrases", {{lang + kJia, kWu + kWu}}}}));
    EXPECT_EQ(kWu + kWu, Convert("s2t", phrases, CharTables{}, compat + kJia));
    // Conversion by words does the same.
    std::string text = compat + kJia;
    CTextConversion(CharTables{}, Direction::ToTraditional, &phrases).ConvertGbk(text);
    EXPECT_EQ(kWu + kWu, text);
    // In long texts too, wherever the form falls among characters whose trail byte is FD or FE.
    const std::string decoy = "\xb0\xfe\xb0\xfd";
    for (std::size_t lead = 0; lead < 70; ++lead) {
        std::string long_text = std::string(lead, 'x');
        for (int k = 0; k < 12; ++k) long_text += decoy + compat + std::string(k % 3, 'y');
        std::string expected = long_text;
        for (std::size_t at; (at = expected.find(compat)) != std::string::npos;)
            expected.replace(at, 2, lang);
        phrases.Normalize(&long_text[0], long_text.size());
        ASSERT_EQ(expected, long_text) << lead;
    }
}

TEST(ConversionChainTest, UnknownNamesAndMissingDictionariesAreRefused) {
    CConversionChain chain;
    std::string error;
    const CharTables tables;
    EXPECT_FALSE(CConversionChain::Build("s2x", PhraseTables(), tables, chain, error));
    EXPECT_NE(std::string::npos, error.find("s2twp")) << "the message lists the names";
    EXPECT_FALSE(CConversionChain::Build("s2twp", PhraseTables(), tables, chain, error));
    EXPECT_NE(std::string::npos, error.find("STPhrases")) << error;
}

// A phrase of the second step is looked up in every form the first step turns into it; a phrase with too many
// (20 characters of two forms each: a million) leaves the chain to its passes, with the same result.
TEST(ConversionChainTest, APhraseOfTooManyFormsBeforeTheFirstStepStillConverts) {
    std::string jia;
    std::string ding;
    for (int k = 0; k < 20; ++k) {
        jia += kJia;
        ding += kDing;
    }
    const PhraseTables phrases = Dictionaries(
        With({{"STCharacters", {{kDing, kJia}}}, {"TWPhrases", {{jia, kWu}, {kJia + kYi, kJi}}}}));
    const CharTables tables;
    EXPECT_EQ(kWu + kJi, Convert("s2twp", phrases, tables, ding.substr(0, 38) + kJia + kDing + kYi));
    EXPECT_EQ(kJi + kJia, Convert("s2twp", phrases, tables, kDing + kYi + kDing));
}

TEST(ConversionChainTest, TheShippedFileHasEveryNameAndRunsOfLinesConvertAsLines) {
    CharTables tables;
    PhraseTables phrases;
    ASSERT_EQ(LoadResult::Loaded, LoadTables(tables));
    ASSERT_EQ(PhraseLoadResult::Loaded, LoadPhrases(phrases));
    // 鼠标 and 软件: Taiwan's words for them, and the forms Taiwan writes.
    const std::string text = "\xca\xf3\xb1\xea\r\n\xc8\xed\xbc\xfe\xce\xaa\n";
    for (const char* name : {"s2t", "t2s", "s2tw", "tw2s", "s2twp", "tw2sp", "s2hk", "hk2s", "s2hkp", "hk2sp",
                             "t2tw", "tw2t", "t2hk", "hk2t"}) {
        CConversionChain chain;
        std::string error;
        ASSERT_TRUE(CConversionChain::Build(name, phrases, tables, chain, error)) << error;
        ASSERT_TRUE(chain.ConvertsWholeLines()) << name;
    }
    EXPECT_EQ("\xbb\xac\xca\xf3\r\n\xdc\x9b\xf3\x77\x9e\xe9\n",  // 滑鼠, 軟體 and 為
              Convert("s2twp", phrases, tables, text));
    // Entries with ASCII among their characters: SQL注入 is SQL隱碼攻擊 in Taiwan, and the reverse.
    EXPECT_EQ("SQL\xeb\x5b\xb4\x61\xb9\xa5\x93\xf4",
              Convert("s2twp", phrases, tables, "SQL\xd7\xa2\xc8\xeb"));
    EXPECT_EQ("SQL\xd7\xa2\xc8\xeb",
              Convert("tw2sp", phrases, tables, "SQL\xeb\x5b\xb4\x61\xb9\xa5\x93\xf4"));
}

}  // namespace
