// ConvertWordsDifferentialTest.cpp: the fast conversion by words against the literal one on random phrase
// lists, tables and texts, and runs of lines against their lines converted one by one.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/ConversionIndex.hpp"
#include "core/ConvertText.hpp"
#include "core/ConvertWords.hpp"
#include "tests/support/GbkGenerator.hpp"
#include "tests/support/ReaderLines.hpp"

namespace {

using testsupport::Generator;
using testsupport::Hex;
using testsupport::kChars;

// Tables of the shipped kind: same-width swaps, no chains.
const CharTables kDirect[] = {CharTables{kChars[0] + kChars[1] + "l", kChars[2] + kChars[3] + "q"},
                              CharTables{kChars[0] + kChars[4], kChars[2] + kChars[1]}};

class PhraseGenerator : public Generator {
  public:
    using Generator::Generator;

    // Short phrases over few characters, so that they overlap, extend one another and repeat; now and then
    // stray bytes (lone lead bytes, misaligned trail bytes), an empty phrase or an empty counterpart.
    std::vector<PhraseEntry> Phrases(std::size_t maxCount) {
        std::vector<PhraseEntry> phrases;
        for (std::size_t count = Below(maxCount + 1); count > 0; --count) {
            PhraseEntry entry{Below(5) == 0 ? RandomBytes(3) : RandomChars(3), RandomChars(3)};
            if (!phrases.empty() && Below(3) == 0)
                entry.phrase = phrases[Below(phrases.size())].phrase + entry.phrase;
            phrases.push_back(entry);
        }
        return phrases;
    }

    // Phrases of whole characters with counterparts that are not empty, as a phrase file holds them.
    std::vector<PhraseEntry> Words(std::size_t maxCount) {
        std::vector<PhraseEntry> phrases = Phrases(maxCount);
        for (PhraseEntry& entry : phrases) {
            entry.phrase.clear();
            for (std::size_t count = 1 + Below(3); count > 0; --count)
                entry.phrase += kChars[Below(std::size(kChars))];
            entry.counterpart += kChars[Below(std::size(kChars))];
        }
        return phrases;
    }

    // Phrases that begin with a two-byte character and counterparts of the same length, as in the shipped
    // file: the path that writes phrases over the converted text.
    std::vector<PhraseEntry> SameLengthWords(std::size_t maxCount) {
        std::vector<PhraseEntry> phrases = Words(maxCount);
        for (PhraseEntry& entry : phrases) {
            entry.phrase = kChars[Below(5)] + entry.phrase;
            entry.counterpart.clear();
            for (std::size_t k = 0; k < entry.phrase.size(); ++k) entry.counterpart += Below(2) ? "l" : "q";
        }
        return phrases;
    }

    CharTables Tables() {
        switch (Below(3)) {
            case 0:
                return kDirect[Below(2)];
            case 1:
                return ChainTables(6);
            default:
                return CharTables{RandomBytes(8), RandomBytes(8)};
        }
    }
};

struct Tally {
    int cases = 0;
    int byWords = 0;  // the result differs from the character table's alone
    int direct = 0;   // the direction's character table maps a character at a time
    bool failed = false;
};

// Both routines on one case: the fast one with both indexes, without the phrase index, without the table's.
void Compare(const CharTables& tables, const PhraseTables& phrases, const std::string& text,
             int toTraditional, Tally& tally) {
    if (tally.failed) return;
    std::string expected = text;
    ConvertWordsLiteral(expected, toTraditional, tables, phrases);
    std::string fast = text;
    ConvertWords(fast, toTraditional, tables, phrases);
    PhraseTables unindexedPhrases = phrases;
    unindexedPhrases.index.reset();
    std::string withoutPhraseIndex = text;
    ConvertWords(withoutPhraseIndex, toTraditional, tables, unindexedPhrases);
    std::string withoutTableIndex = text;
    ConvertWords(withoutTableIndex, toTraditional, CharTables{tables.simplified, tables.traditional},
                 phrases);

    std::string characters = text;
    ConvertTextLiteral(characters, toTraditional, tables);
    ++tally.cases;
    tally.byWords += characters != expected;
    tally.direct += (toTraditional ? tables.index->toTraditional : tables.index->toSimplified).direct;
    if (fast == expected && withoutPhraseIndex == expected && withoutTableIndex == expected) return;
    tally.failed = true;
    std::string list;
    for (const PhraseEntry& e : toTraditional ? phrases.toTraditional : phrases.toSimplified) {
        list += Hex(e.phrase) + "->" + Hex(e.counterpart) + " ";
    }
    ADD_FAILURE() << "simplified " << Hex(tables.simplified) << " traditional " << Hex(tables.traditional)
                  << " phrases " << list << "text " << Hex(text) << " toTraditional " << toTraditional
                  << ": literal " << Hex(expected) << ", fast " << Hex(fast) << ", without phrase index "
                  << Hex(withoutPhraseIndex) << ", without table index " << Hex(withoutTableIndex);
}

void CompareBothWays(CharTables tables, PhraseTables phrases, const std::string& text, Tally& tally) {
    BuildIndex(tables);
    BuildPhraseIndex(phrases);
    Compare(tables, phrases, text, 1, tally);
    Compare(tables, phrases, text, 0, tally);
}

TEST(ConvertWordsDifferentialTest, RandomPhrasesTablesAndTexts) {
    PhraseGenerator gen(4711);
    Tally tally;
    for (int i = 0; i < 20000 && !tally.failed; ++i) {
        PhraseTables phrases;
        phrases.toTraditional = gen.Phrases(6);
        phrases.toSimplified = gen.Phrases(6);
        CompareBothWays(gen.Tables(), phrases, gen.Below(4) ? gen.RandomChars(14) : gen.RandomBytes(20),
                        tally);
    }
    EXPECT_GT(tally.byWords, tally.cases / 4);
    EXPECT_GT(tally.direct, tally.cases / 5);
    EXPECT_LT(tally.direct, tally.cases * 4 / 5);
}

TEST(ConvertWordsDifferentialTest, LongTextsThroughDirectTables) {
    // Many phrases in one text, counterparts longer and shorter than their phrases, texts ending in a lone
    // lead byte; then short texts right after, as per-line conversion does.
    PhraseGenerator gen(99);
    Tally tally;
    for (int i = 0; i < 1000 && !tally.failed; ++i) {
        PhraseTables phrases;
        phrases.toTraditional = i % 4 < 2 ? gen.Phrases(12) : gen.SameLengthWords(12);
        phrases.toSimplified = i % 4 < 2 ? gen.Phrases(12) : gen.SameLengthWords(12);
        const CharTables& tables = kDirect[i % 2];
        CompareBothWays(tables, phrases, gen.RandomChars(300) + (i % 3 ? "" : "\xb0"), tally);
        for (int line = 0; line < 3; ++line) CompareBothWays(tables, phrases, gen.RandomChars(5), tally);
    }
    EXPECT_EQ(tally.direct, tally.cases);
    EXPECT_GT(tally.byWords, tally.cases / 4);
}

TEST(ConvertWordsLineRunDifferentialTest, ARunConvertsAsItsLinesOneByOne) {
    // Phrases at the ends of lines and across them, lone lead bytes and lone CRs before the line ends, LF and
    // CR LF, the last line with or without. Some lists reach a line end (a CR or LF in a phrase or
    // counterpart, a phrase ending in a lone lead byte), and some tables do; such runs must be refused.
    const std::string reaching[][2] = {{"\xb0\xa1\n", "q"}, {"\r", "q"}, {"\xb0\xa1\xb0", "q"}, {"\x81", "q"},
                                       {"q", "\xb0\xa1\r"}, {"l", "\n"}, {"\xb0\xa2", ""}};
    PhraseGenerator gen(2024);
    int runs = 0, converted = 0, refused = 0, byWords = 0;
    for (int i = 0; i < 10000 && !HasFailure(); ++i) {
        CharTables tables = kDirect[gen.Below(2)];
        if (gen.Below(8) == 0) tables.simplified += "\r", tables.traditional += "q";
        BuildIndex(tables);
        PhraseTables phrases;
        phrases.toTraditional = i % 2 ? gen.Words(5) : gen.SameLengthWords(5);
        phrases.toSimplified = i % 2 ? gen.Words(5) : gen.SameLengthWords(5);
        if (gen.Below(5) == 0) {
            const auto& entry = reaching[gen.Below(std::size(reaching))];
            (gen.Below(2) ? phrases.toTraditional : phrases.toSimplified).push_back({entry[0], entry[1]});
        }
        BuildPhraseIndex(phrases);

        const std::string run = gen.RandomRun();

        for (const int toTraditional : {1, 0}) {
            // Each line converted alone, followed by its own terminator.
            std::string expected;
            bool phraseDecided = false;
            for (auto& [line, terminator] : testsupport::TerminatedLines(run)) {
                std::string characters = line;
                ConvertTextLiteral(characters, toTraditional, tables);
                ConvertWordsLiteral(line, toTraditional, tables, phrases);
                phraseDecided |= characters != line;
                expected += line + terminator;
            }
            std::string out = "stale";
            ++runs;
            if (!ConvertWordsLineRun(run.data(), run.size(), toTraditional, tables, phrases, out)) {
                ++refused;
                EXPECT_EQ("", out) << "a refused run gives nothing";
                continue;
            }
            ++converted;
            byWords += phraseDecided;
            // The same bytes, and the same lines for the caller that splits them at LF.
            EXPECT_EQ(Hex(expected), Hex(out))
                << "run " << Hex(run) << ", simplified " << Hex(tables.simplified) << " traditional "
                << Hex(tables.traditional) << " toTraditional " << toTraditional;
            EXPECT_EQ(testsupport::ReaderLines(run).size(), testsupport::ReaderLines(out).size()) << Hex(run);
        }
    }
    EXPECT_GT(converted, runs / 2);
    EXPECT_GT(refused, runs / 10);
    EXPECT_GT(byWords, converted / 4);
}

TEST(ConvertWordsLineRunDifferentialTest, ListsOrTablesWithoutAFittingIndexAreRefused) {
    CharTables tables = kDirect[0];
    PhraseTables phrases;
    phrases.toTraditional = {{kChars[0], "q"}};
    std::string out;
    const std::string run = kChars[0] + "\n";
    EXPECT_FALSE(ConvertWordsLineRun(run.data(), run.size(), 1, tables, phrases, out));
    BuildIndex(tables);
    EXPECT_FALSE(ConvertWordsLineRun(run.data(), run.size(), 1, tables, phrases, out));
    BuildPhraseIndex(phrases);
    ASSERT_TRUE(ConvertWordsLineRun(run.data(), run.size(), 1, tables, phrases, out));
    EXPECT_EQ("q\n", out);
    phrases.toTraditional.push_back({kChars[1], "l"});
    EXPECT_FALSE(ConvertWordsLineRun(run.data(), run.size(), 1, tables, phrases, out));
}

}  // namespace
