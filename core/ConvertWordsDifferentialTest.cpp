// ConvertWordsDifferentialTest.cpp: the fast conversion by words against the literal one on random phrase
// lists, tables and texts, and runs of lines against their lines converted one by one.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/ConversionIndex.hpp"
#include "core/ConvertText.hpp"
#include "core/ConvertWords.hpp"
#include "tests/reference/LiteralConversion.hpp"
#include "tests/support/DirectionName.hpp"
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

// Both routines on one case; reports the first difference.
void Compare(const CharTables& tables, const PhraseTables& phrases, const std::string& text,
             Direction direction, Tally& tally) {
    if (tally.failed) return;
    std::string expected = text;
    ConvertWordsLiteral(expected, direction, tables, phrases);
    std::string fast = text;
    ConvertWords(fast, direction, tables, phrases);

    std::string characters = text;
    ConvertTextLiteral(characters, direction, tables);
    ++tally.cases;
    tally.byWords += characters != expected;
    tally.direct += tables.Index(direction).direct;
    if (fast == expected) return;
    tally.failed = true;
    std::string list;
    for (const PhraseEntry& e : phrases.Phrases(direction))
        list += Hex(e.phrase) + "->" + Hex(e.counterpart) + " ";
    ADD_FAILURE() << "simplified " << Hex(tables.Simplified()) << " traditional " << Hex(tables.Traditional())
                  << " phrases " << list << "text " << Hex(text) << " "
                  << testsupport::DirectionName(direction) << ": literal " << Hex(expected) << ", fast "
                  << Hex(fast);
}

void CompareBothWays(const CharTables& tables, const PhraseTables& phrases, const std::string& text,
                     Tally& tally) {
    Compare(tables, phrases, text, Direction::ToTraditional, tally);
    Compare(tables, phrases, text, Direction::ToSimplified, tally);
}

TEST(ConvertWordsDifferentialTest, RandomPhrasesTablesAndTexts) {
    PhraseGenerator gen(4711);
    Tally tally;
    for (int i = 0; i < 20000 && !tally.failed; ++i) {
        const PhraseTables phrases(gen.Phrases(6), gen.Phrases(6));
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
        const PhraseTables phrases(i % 4 < 2 ? gen.Phrases(12) : gen.SameLengthWords(12),
                                   i % 4 < 2 ? gen.Phrases(12) : gen.SameLengthWords(12));
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
        const CharTables& direct = kDirect[gen.Below(2)];
        const bool reachingTable = gen.Below(8) == 0;
        const CharTables tables(direct.Simplified() + (reachingTable ? "\r" : ""),
                                direct.Traditional() + (reachingTable ? "q" : ""));
        std::vector<PhraseEntry> toTraditional = i % 2 ? gen.Words(5) : gen.SameLengthWords(5);
        std::vector<PhraseEntry> toSimplified = i % 2 ? gen.Words(5) : gen.SameLengthWords(5);
        if (gen.Below(5) == 0) {
            const auto& entry = reaching[gen.Below(std::size(reaching))];
            (gen.Below(2) ? toTraditional : toSimplified).push_back({entry[0], entry[1]});
        }
        const PhraseTables phrases(std::move(toTraditional), std::move(toSimplified));

        const std::string run = gen.RandomRun();

        for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
            // Each line converted alone, followed by its own terminator.
            std::string expected;
            bool phraseDecided = false;
            for (auto& [line, terminator] : testsupport::TerminatedLines(run)) {
                std::string characters = line;
                ConvertTextLiteral(characters, direction, tables);
                ConvertWordsLiteral(line, direction, tables, phrases);
                phraseDecided |= characters != line;
                expected += line + terminator;
            }
            std::string out = "stale";
            ++runs;
            if (!ConvertWordsLineRun(run.data(), run.size(), direction, tables, phrases, out)) {
                ++refused;
                EXPECT_EQ("", out) << "a refused run gives nothing";
                continue;
            }
            ++converted;
            byWords += phraseDecided;
            // The same bytes, and the same lines for the caller that splits them at LF.
            EXPECT_EQ(Hex(expected), Hex(out))
                << "run " << Hex(run) << ", simplified " << Hex(tables.Simplified()) << " traditional "
                << Hex(tables.Traditional()) << " " << testsupport::DirectionName(direction);
            EXPECT_EQ(testsupport::ReaderLines(run).size(), testsupport::ReaderLines(out).size()) << Hex(run);
        }
    }
    EXPECT_GT(converted, runs / 2);
    EXPECT_GT(refused, runs / 10);
    EXPECT_GT(byWords, converted / 4);
}

}  // namespace
