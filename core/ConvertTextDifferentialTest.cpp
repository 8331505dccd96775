// ConvertTextDifferentialTest.cpp: the fast conversion against the literal one on random tables and texts.
#include <gtest/gtest.h>

#include <vector>

#include "core/ConversionIndex.hpp"
#include "core/ConvertText.hpp"
#include "tests/reference/LiteralConversion.hpp"
#include "tests/support/DirectionName.hpp"
#include "tests/support/GbkGenerator.hpp"
#include "tests/support/ReaderLines.hpp"

namespace {

using testsupport::Generator;
using testsupport::Hex;
using testsupport::kBytes;
using testsupport::kChars;

struct Tally {
    int cases = 0;
    int changed = 0;   // the literal result differs from the input
    int resized = 0;   // ...and has another length
    int indirect = 0;  // the direction needs more than one lookup per character
    bool failed = false;
};

// Compares both routines on one case; reports the first difference.
void Compare(const CharTables& tables, const std::string& text, Direction direction, Tally& tally) {
    if (tally.failed) return;
    std::string expected = text;
    ConvertTextLiteral(expected, direction, tables);
    std::string fast = text;
    ConvertText(fast, direction, tables);

    ++tally.cases;
    tally.changed += expected != text;
    tally.resized += expected.size() != text.size();
    tally.indirect += !tables.Index(direction).direct;
    if (fast == expected) return;
    tally.failed = true;
    ADD_FAILURE() << "simplified " << Hex(tables.Simplified()) << " traditional " << Hex(tables.Traditional())
                  << " text " << Hex(text) << " " << testsupport::DirectionName(direction) << ": literal "
                  << Hex(expected) << ", fast " << Hex(fast);
}

void CompareBothWays(const CharTables& tables, const std::string& text, Tally& tally) {
    Compare(tables, text, Direction::ToTraditional, tally);
    Compare(tables, text, Direction::ToSimplified, tally);
}

TEST(ConvertTextDifferentialTest, ArbitraryBytesInTablesAndText) {
    // Misaligned and lone lead bytes in tables and texts, results that shrink, grow or split characters.
    Generator gen(20240611);
    Tally tally;
    for (int i = 0; i < 100000 && !tally.failed; ++i) {
        const CharTables tables{gen.RandomBytes(10), gen.RandomBytes(10)};
        CompareBothWays(tables, gen.Below(2) ? gen.RandomBytes(24) : gen.RandomChars(12), tally);
    }
    EXPECT_GT(tally.resized, tally.cases / 20);
    EXPECT_GT(tally.indirect, tally.cases / 4);
}

TEST(ConvertTextDifferentialTest, ChainsOfWholeCharacters) {
    // Mostly same-width swaps that chain, everywhere in the text; sometimes a width change in the middle.
    Generator gen(77);
    Tally tally;
    for (int i = 0; i < 100000 && !tally.failed; ++i) {
        CompareBothWays(gen.ChainTables(8), gen.RandomChars(16), tally);
    }
    EXPECT_GT(tally.changed, tally.cases / 2);
    EXPECT_GT(tally.indirect, tally.cases / 2);
}

TEST(ConvertTextDifferentialTest, LongTextsReuseTheScratchState) {
    // Long chains over long texts, then short texts right after, as per-line conversion does.
    Generator gen(5);
    Tally tally;
    for (int i = 0; i < 300 && !tally.failed; ++i) {
        const CharTables tables = gen.ChainTables(40);
        CompareBothWays(tables, gen.RandomChars(400), tally);
        for (int line = 0; line < 5; ++line) CompareBothWays(tables, gen.RandomChars(6), tally);
    }
    EXPECT_GT(tally.changed, tally.cases / 2);
}

TEST(ConvertTextDifferentialTest, ConvertingTwiceWithTheSameTables) {
    // Texts converted one way and the result back, with the shipped kind of table: equal widths, no chains.
    // Long enough for several 64-byte windows, with characters straddling their edges.
    Generator gen(9);
    Tally tally;
    for (int i = 0; i < 3000 && !tally.failed; ++i) {
        CharTables tables{kChars[0] + kChars[1] + "l", kChars[2] + kChars[3] + "q"};
        if (i % 2) tables = CharTables{kChars[0] + kChars[4], kChars[2] + kChars[1]};  // no one-byte entries
        std::string text = gen.RandomChars(i % 3 ? 20 : 150);
        CompareBothWays(tables, text, tally);
        ConvertTextLiteral(text, Direction::ToTraditional, tables);
        CompareBothWays(tables, text, tally);
    }
    EXPECT_EQ(0, tally.indirect);
    EXPECT_GT(tally.changed, tally.cases / 2);
}

TEST(ConvertTextDifferentialTest, EveryShortLengthWithAndWithoutALoneLeadByte) {
    // Short texts take their own loop and longer ones the windows: every length around both cut-overs, ending
    // on a whole character, a one-byte one, or a lone lead byte; one table converts the lone lead byte too.
    Generator gen(31);
    Tally tally;
    const CharTables tables[] = {CharTables{kChars[0] + kChars[1] + "l", kChars[2] + kChars[3] + "q"},
                                 CharTables{kChars[0] + kChars[4], kChars[2] + kChars[1]},
                                 CharTables{kChars[0] + "l\x81", kChars[2] + "q\xb0"}};
    for (std::size_t length = 0; length <= 70; ++length) {
        for (int i = 0; i < 40; ++i) {
            std::string text = gen.RandomChars(length);
            while (text.size() < length) text += kChars[gen.Below(std::size(kChars))];
            text.resize(length);
            if (length > 0 && i % 4 == 0) text.back() = kBytes[gen.Below(2)];  // a lead byte
            for (const CharTables& t : tables) CompareBothWays(t, text, tally);
        }
    }
    EXPECT_GT(tally.changed, tally.cases / 2);
}

TEST(ConvertLineRunDifferentialTest, ARunConvertsAsItsLinesOneByOne) {
    // Tables of the shipped kind (same-width swaps, no chains), some with an entry that reaches a line end: a
    // character whose trail byte is CR or LF, CR or LF itself, a lone lead byte, or such a counterpart. Lines
    // end in whole characters, lone lead bytes and lone CRs, with LF or CR LF, the last one with or without.
    const std::string sources[] = {"\xb0\xa1", "\xb0\xa2", "\x81\xb0", "l"};
    const std::string targets[] = {"\xb0\xa3", "\xb0l", "\x81\xa1", "q"};
    const std::string reaching[][2] = {
        {"\xb0\n", "\xb0\xa3"}, {"\xb0\r", "\xb0\xa3"}, {"\r", "q"}, {"\n", "q"},
        {"\x81", "\xb0"},       {"\xb0\xa3", "\xb0\r"}, {"q", "\n"}, {"\xb0\xa3", "\xb0\n"}};
    Generator gen(1123);
    int runs = 0, converted = 0, refused = 0, changed = 0;
    for (int i = 0; i < 20000 && !HasFailure(); ++i) {
        std::string simplified;
        std::string traditional;
        for (std::size_t count = 1 + gen.Below(4); count > 0; --count) {
            const std::size_t k = gen.Below(std::size(sources));
            simplified += sources[k];
            traditional += targets[k == 3 ? 3 : gen.Below(3)];
        }
        if (gen.Below(4) == 0) {  // at the end, so that a lone lead byte stays lone
            const auto& entry = reaching[gen.Below(std::size(reaching))];
            simplified += entry[0];
            traditional += entry[1];
        }
        const CharTables tables(simplified, traditional);

        const std::string run = gen.RandomRun();

        for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
            std::vector<std::string> expected = testsupport::ReaderLines(run);
            for (std::string& line : expected) ConvertTextLiteral(line, direction, tables);
            std::string fast = run;
            ++runs;
            if (!ConvertLineRun(&fast[0], fast.size(), direction, tables)) {
                ++refused;
                EXPECT_EQ(Hex(run), Hex(fast)) << "a refused run must stay as it was";
                continue;
            }
            ++converted;
            changed += fast != run;
            const std::vector<std::string> lines = testsupport::ReaderLines(fast);
            EXPECT_EQ(expected.size(), lines.size());
            for (std::size_t k = 0; k < expected.size() && k < lines.size(); ++k) {
                EXPECT_EQ(Hex(expected[k]), Hex(lines[k]))
                    << "line " << k << " of " << Hex(run) << ", simplified " << Hex(tables.Simplified())
                    << " traditional " << Hex(tables.Traditional()) << " "
                    << testsupport::DirectionName(direction);
            }
        }
    }
    EXPECT_GT(converted, runs / 2);
    EXPECT_GT(refused, runs / 20);
    EXPECT_GT(changed, converted / 4);
}

}  // namespace
