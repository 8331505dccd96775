// TextConversionTest.cpp: the GBK codec, and Unicode text converted exactly as its GBK form would be.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/ConversionChain.hpp"
#include "core/ConvertText.hpp"
#include "core/ConvertWords.hpp"
#include "core/Gbk.hpp"
#include "core/GbkCodec.hpp"
#include "core/TextConversion.hpp"
#include "core/TextStretches.hpp"
#include "core/UserPairs.hpp"
#include "core/Utf8.hpp"
#include "tests/reference/LiteralConversion.hpp"
#include "tests/support/ShippedTables.hpp"
#include "tests/support/TempDir.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const gbk::CCodec& Codec() { return gbk::Codec(); }

std::string Utf8Of(const std::u32string& text) {
    std::string out;
    for (const char32_t cp : text) utf8::Append(out, cp);
    return out;
}

std::u16string Utf16Of(const std::string& utf8Text, bool swapped) {
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8Text.data());
    for (std::size_t i = 0; i < utf8Text.size();) {
        char32_t cp = 0;
        i += static_cast<std::size_t>(utf8::DecodeOne(p + i, utf8Text.size() - i, cp));
        std::u16string units;
        if (cp >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(cp);
        }
        for (char16_t unit : units) out += swapped ? static_cast<char16_t>(unit >> 8 | unit << 8) : unit;
    }
    return out;
}

std::string GbkOf(const std::u32string& text) {
    std::string gbk;
    for (const char32_t cp : text) {
        const std::uint16_t code = Codec().Encode(cp);
        if (code >= 0x100) gbk += static_cast<char>(code >> 8);
        gbk += static_cast<char>(code);
    }
    return gbk;
}

// The GBK text decoded, or nothing when it holds a byte sequence that is no character.
bool DecodeAll(const std::string& gbk, std::u32string& text) {
    text.clear();
    for (std::size_t i = 0; i < gbk.size();) {
        const auto lead = static_cast<unsigned char>(gbk[i]);
        const bool pair = gbk::IsLeadByte(lead) && i + 1 < gbk.size();
        const char32_t cp = Codec().Decode(
            static_cast<std::uint16_t>(pair ? lead << 8 | static_cast<unsigned char>(gbk[i + 1]) : lead));
        if (cp == gbk::kNoCharacter) return false;
        text += cp;
        i += pair ? 2 : 1;
    }
    return true;
}

CharTables ShippedTables() {
    CharTables tables = testsupport::ShippedTables();
    EXPECT_FALSE(tables.Simplified().empty());
    return tables;
}

TEST(GbkCodecTest, KnownCharactersAndEveryCodeRoundTrips) {
    EXPECT_EQ(Codec().Decode(0xD6D0), U'中');
    EXPECT_EQ(Codec().Decode(0x80), U'€');
    EXPECT_EQ(Codec().Decode(0xAAA1), char32_t{0xE000});  // first user-defined code
    EXPECT_EQ(Codec().Decode(0x81), gbk::kNoCharacter);   // a lone lead byte
    EXPECT_EQ(Codec().Decode(0x817F), gbk::kNoCharacter);
    EXPECT_EQ(Codec().Encode(U'😀'), gbk::kNoCode);
    EXPECT_EQ(Codec().Encode(U'한'), gbk::kNoCode);
    int characters = 0;
    for (std::uint32_t code = 0; code < 0x10000; ++code) {
        const char32_t cp = Codec().Decode(static_cast<std::uint16_t>(code));
        if (cp == gbk::kNoCharacter) continue;
        ++characters;
        ASSERT_EQ(Codec().Encode(cp), code) << std::hex << code;
    }
    EXPECT_EQ(characters, 128 + 1 + 126 * 190);
}

#ifdef _WIN32
// The program's own codec must agree with the system's code page 936 on every code, or a name or a window
// text would read differently inside than outside.
TEST(GbkCodecTest, AgreesWithTheSystemOnEveryCode) {
    for (std::uint32_t code = 0; code < 0x10000; ++code) {
        char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code)};
        const int size = code < 0x100 ? 1 : 2;
        wchar_t wide[4];
        const int n =
            ::MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, size == 1 ? bytes + 1 : bytes, size, wide, 4);
        const bool lead = code < 0x100 ? gbk::IsLeadByte(static_cast<unsigned char>(code)) : code < 0x8140;
        if (lead) continue;  // not a code of one character in either form
        const char32_t ours = Codec().Decode(static_cast<std::uint16_t>(code));
        if (n == 1) {
            ASSERT_EQ(ours, char32_t{wide[0]}) << std::hex << code;
        } else {
            ASSERT_EQ(ours, gbk::kNoCharacter) << std::hex << code;
        }
    }
}
#endif

// Pieces of random Unicode text: characters the tables convert, other characters GBK holds (line ends
// included), characters it does not hold, which end a stretch.
struct Piece {
    std::u32string text;
    bool held;        // GBK holds it
    std::string raw;  // instead of text: bytes that are no UTF-8 (none begins with a continuation byte, so
                      // none joins what comes before it)
};

class Generator {
  public:
    Generator(unsigned seed, const CharTables& tables) : m_random(seed) {
        // The characters of the tables that are characters at all.
        const std::string lines = tables.Simplified() + tables.Traditional();
        std::u32string character;
        for (std::size_t i = 0; i < lines.size(); i += gbk::CharWidth(lines, i)) {
            if (DecodeAll(lines.substr(i, gbk::CharWidth(lines, i)), character)) m_listed += character;
        }
    }

    std::size_t Below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(m_random);
    }

    std::vector<Piece> Text(std::size_t maxPieces) {
        static const char32_t kHeld[] = {U'a', U'\r', U'\n', U' ', U'中', U'é', U'€', U'·', char32_t{0xE000}};
        static const char32_t kForeign[] = {U'😀', U'한', U'\U00020000', U'ẞ'};
        std::vector<Piece> pieces;
        for (std::size_t count = Below(maxPieces + 1); count > 0; --count) {
            const std::size_t kind = Below(10);
            if (!m_words.empty() && kind < 3) {
                pieces.push_back({m_words[Below(m_words.size())], true, {}});
            } else if (m_withRaw && kind == 9 && Below(2) == 0) {
                static const char* const kRaw[] = {"\xff", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80",
                                                   "\xe5\xa4"};
                pieces.push_back({U"", false, kRaw[Below(std::size(kRaw))]});
            } else if (kind < 5 && !m_listed.empty()) {
                pieces.push_back({std::u32string(1, m_listed[Below(m_listed.size())]), true, {}});
            } else if (kind < 8) {
                pieces.push_back({std::u32string(1, kHeld[Below(std::size(kHeld))]), true, {}});
            } else {
                pieces.push_back({std::u32string(1, kForeign[Below(std::size(kForeign))]), false, {}});
            }
        }
        return pieces;
    }

    // UTF-8 only: bytes that do not decode.
    void WithRaw() { m_withRaw = true; }
    // Whole words (held by GBK) among the pieces now and then.
    void WithWords(std::vector<std::u32string> words) { m_words = std::move(words); }

  private:
    std::mt19937 m_random;
    std::u32string m_listed;
    std::vector<std::u32string> m_words;
    bool m_withRaw = false;
};

// What the rule says, literally: each stretch of characters GBK holds goes through the literal GBK conversion
// and is decoded; a stretch whose result does not decode stays as it was.
std::string Expected(const std::vector<Piece>& pieces, Direction direction, const CharTables& tables,
                     const PhraseTables* phrases = nullptr) {
    std::string result;
    std::u32string stretch;
    auto flush = [&] {
        std::string gbk = GbkOf(stretch);
        if (phrases != nullptr) {
            ConvertWordsLiteral(gbk, direction, tables, *phrases);
        } else {
            ConvertTextLiteral(gbk, direction, tables);
        }
        std::u32string converted;
        result += Utf8Of(DecodeAll(gbk, converted) ? converted : stretch);
        stretch.clear();
    };
    for (const Piece& piece : pieces) {
        if (piece.held) {
            stretch += piece.text;
        } else {
            flush();
            result += piece.raw.empty() ? Utf8Of(piece.text) : piece.raw;
        }
    }
    flush();
    return result;
}

std::string Joined(const std::vector<Piece>& pieces) {
    std::string text;
    for (const Piece& piece : pieces) text += piece.raw.empty() ? Utf8Of(piece.text) : piece.raw;
    return text;
}

bool AnyRaw(const std::vector<Piece>& pieces) {
    for (const Piece& piece : pieces) {
        if (!piece.raw.empty()) return true;
    }
    return false;
}

void ExpectEveryFormAgrees(const std::vector<Piece>& pieces, const CharTables& tables) {
    for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
        const CTextConversion conversion(tables, direction);
        const std::string expected = Expected(pieces, direction, tables);
        std::string utf8Text = Joined(pieces);
        conversion.ConvertUtf8(utf8Text);
        ASSERT_EQ(utf8Text, expected);
        if (AnyRaw(pieces)) continue;
        for (const bool swapped : {false, true}) {
            std::u16string units = Utf16Of(Joined(pieces), swapped);
            conversion.ConvertUtf16(units, swapped);
            ASSERT_EQ(units, Utf16Of(expected, swapped));
        }
    }
}

TEST(TextConversionTest, UnicodeTextConvertsAsItsGbkFormWithTheShippedTable) {
    const CharTables tables = ShippedTables();
    Generator generator(7, tables);
    for (int round = 0; round < 1500; ++round) {
        if (round == 500) generator.WithRaw();
        ExpectEveryFormAgrees(generator.Text(round % 3 == 0 ? 200 : 40), tables);
    }
}

// Small tables of real characters: chains, a character listed twice, counterparts of another width (a
// two-byte character that becomes a letter), and a counterpart that is no character at all.
TEST(TextConversionTest, UnicodeTextConvertsAsItsGbkFormWithAnyTable) {
    const std::vector<CharTables> tables = {
        {"\xd6\xd0\xb9\xfa", "\xb9\xfa\xbc\xd2"},  // 中国 / 国家: a chain
        {"\xd6\xd0\xd6\xd0", "\xb9\xfa\xbc\xd2"},  // the second 中 never counts
        {"\xd6\xd0"
         "a",
         "xy"
         "\xb9"},                                  // 中 -> "xy", a -> a lone lead byte
        {"\xd6\xd0\xb9\xfa", "\xb9\xfa\xd6\xd0"},  // a swap both ways round
        {"\xd6\xd0", "\x81\x30"},                  // 中 -> bytes that are no character
    };
    for (std::size_t t = 0; t < tables.size(); ++t) {
        Generator generator(static_cast<unsigned>(t), tables[t]);
        generator.WithRaw();
        for (int round = 0; round < 600; ++round) ExpectEveryFormAgrees(generator.Text(12), tables[t]);
    }
}

// By words the rule is the same, each stretch one text for ConvertWords: phrases never reach across a
// character GBK cannot hold. The characters come from the shipped phrases, so that phrases match often.
TEST(TextConversionTest, ByWordsUnicodeTextConvertsAsItsGbkForm) {
    const CharTables tables = ShippedTables();
    PhraseTables phrases;
    ASSERT_EQ(PhraseLoadResult::Loaded,
              LoadPhrases(phrases, (testsupport::ProgramFolder() / kPhraseFileName).string()));
    const std::vector<PhraseEntry>& toTraditional = phrases.Phrases(Direction::ToTraditional);
    std::string simplified;
    std::string traditional;
    for (std::size_t k = 0; k < toTraditional.size(); k += 97) {
        simplified += toTraditional[k].phrase + toTraditional[k].counterpart;
    }
    for (const PhraseEntry& entry : phrases.Phrases(Direction::ToSimplified)) traditional += entry.phrase;
    Generator generator(13, CharTables(simplified, traditional));
    std::vector<std::u32string> words;
    for (std::size_t k = 0; k < toTraditional.size(); k += 41) {
        std::u32string word;
        if (DecodeAll(toTraditional[k].phrase, word)) words.push_back(word);
        if (DecodeAll(toTraditional[k].counterpart, word)) words.push_back(word);
    }
    generator.WithWords(words);
    for (int round = 0; round < 150; ++round) {
        const std::vector<Piece> pieces = generator.Text(60);
        for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
            const CTextConversion conversion(tables, direction, &phrases);
            std::string text = Joined(pieces);
            conversion.ConvertUtf8(text);
            ASSERT_EQ(text, Expected(pieces, direction, tables, &phrases));
        }
    }
}

// Long texts of words and Latin letters go through GBK in one pass each way, 64 bytes at a time, until a
// character the windows leave to the slower path: a two-byte or four-byte sequence, a character GBK lacks,
// bytes that are no UTF-8 (an overlong form, a surrogate), the euro sign (one byte in GBK).
TEST(TextConversionTest, ByWordsLongTextsConvertAsTheirStretches) {
    const CharTables tables = ShippedTables();
    PhraseTables phrases;
    ASSERT_EQ(PhraseLoadResult::Loaded,
              LoadPhrases(phrases, (testsupport::ProgramFolder() / kPhraseFileName).string()));
    std::vector<std::u32string> words;
    const std::vector<PhraseEntry>& entries = phrases.Phrases(Direction::ToTraditional);
    for (std::size_t k = 0; k < entries.size(); k += 13) {
        std::u32string word;
        if (DecodeAll(entries[k].phrase, word)) words.push_back(word);
        if (DecodeAll(entries[k].counterpart, word)) words.push_back(word);
    }
    const std::vector<Piece> odd = {{U"€", true, {}},
                                    {U"é", true, {}},
                                    {U"\uE000", true, {}},
                                    {U"😀", false, {}},
                                    {U"한", false, {}},
                                    {U"", false, "\xe0\x80\xaf"},
                                    {U"", false, "\xed\xa0\x80"},
                                    {U"\u0800", false, {}}};
    std::mt19937 random(17);
    for (int round = 0; round < 32; ++round) {
        std::vector<Piece> pieces;
        for (std::size_t count = 20 + random() % 100; count > 0; --count) {
            pieces.push_back(random() % 5 != 0 ? Piece{words[random() % words.size()], true, {}}
                                               : Piece{std::u32string(1 + random() % 20, U'a'), true, {}});
        }
        if (round % 2 != 0)
            pieces.insert(pieces.begin() + random() % pieces.size(), odd[round / 2 % odd.size()]);
        // And a sequence cut short at every place of the first windows and their edges.
        if (round >= 16) {
            const std::size_t before = static_cast<std::size_t>(round - 16) * 9 % 140;
            pieces.insert(pieces.begin(),
                          {Piece{std::u32string(before, U'a'), true, {}}, Piece{U"", false, "\xe4\xb8"}});
        }
        for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
            const CTextConversion conversion(tables, direction, &phrases);
            const std::string expected = Expected(pieces, direction, tables, &phrases);
            std::string text = Joined(pieces);
            conversion.ConvertUtf8(text);
            ASSERT_EQ(text, expected) << "round " << round;
            if (AnyRaw(pieces)) continue;
            for (const bool swapped : {false, true}) {
                std::u16string units = Utf16Of(Joined(pieces), swapped);
                conversion.ConvertUtf16(units, swapped);
                ASSERT_TRUE(units == Utf16Of(expected, swapped)) << "round " << round;
            }
        }
    }
}

// The euro sign is one byte in GBK and three in UTF-8: text of many of them outgrows the room first made for
// its UTF-8 form, and then the ASCII after them must not fall off the end whatever its length (a last byte
// once went into the string's terminator and came out as a NUL).
TEST(TextConversionTest, TextThatOutgrowsItsGbkFormKeepsEveryByte) {
    const CharTables tables = ShippedTables();
    PhraseTables phrases;
    ASSERT_EQ(PhraseLoadResult::Loaded,
              LoadPhrases(phrases, (testsupport::ProgramFolder() / kPhraseFileName).string()));
    const CTextConversion conversion(tables, Direction::ToTraditional, &phrases);
    for (std::size_t euros = 1; euros < 40; ++euros) {
        for (std::size_t letters = 0; letters < 24; ++letters) {
            std::string text;
            for (std::size_t k = 0; k < euros; ++k) text += "€";
            text += std::string(letters, 'x') + "\n";
            std::string converted = text;
            conversion.ConvertUtf8(converted);
            ASSERT_EQ(text, converted) << euros << " euro signs, " << letters << " letters";
        }
    }
}

TEST(TextConversionTest, BytesAndUnitsThatDoNotDecodePassUnchanged) {
    const CharTables tables = ShippedTables();
    const CTextConversion conversion(tables, Direction::ToTraditional);
    // A lone continuation byte, an overlong form, a surrogate, 0xFF, and 头发 cut short at the end.
    std::string text = "\x80\xc0\xaf\xed\xa0\x80\xff\xe5\xa4\xb4\xe5\x8f";
    conversion.ConvertUtf8(text);
    EXPECT_EQ(text, "\x80\xc0\xaf\xed\xa0\x80\xff\xe9\xa0\xad\xe5\x8f");  // only 头 became 頭
    std::u16string units = {0xD800, u'头', 0xDC00, 0xD83D, 0xDE00};
    conversion.ConvertUtf16(units, false);
    EXPECT_EQ(units, (std::u16string{0xD800, u'頭', 0xDC00, 0xD83D, 0xDE00}));
}

TEST(TextConversionTest, RunsOfLinesConvertAsLineByLine) {
    const CharTables tables = ShippedTables();
    const CharTables crTable{"\r", "x"};  // converting reaches a line end: runs must be refused
    Generator generator(11, tables);
    for (int round = 0; round < 500; ++round) {
        const std::string text = Joined(generator.Text(60));
        for (const CharTables* t : {&tables, static_cast<const CharTables*>(&crTable)}) {
            const CTextConversion conversion(*t,
                                             round % 2 ? Direction::ToTraditional : Direction::ToSimplified);
            std::string run = text;
            if (!conversion.ConvertUtf8Lines(&run[0], run.size())) {
                EXPECT_EQ(t, &crTable);
                continue;
            }
            std::string expected;
            for (std::size_t start = 0; start < text.size();) {
                std::size_t end = text.find('\n', start);
                end = end == std::string::npos ? text.size() : end + 1;
                std::string line = text.substr(start, end - start);
                std::size_t content = line.size();
                if (content > 0 && line[content - 1] == '\n') --content;
                if (content > 0 && line[content - 1] == '\r' && content < line.size()) --content;
                std::string body = line.substr(0, content);
                conversion.ConvertUtf8(body);
                expected += body + line.substr(content);
                start = end;
            }
            ASSERT_EQ(run, expected);
            // Text known to be UTF-8 (this generator makes nothing else here) takes the way without checks.
            std::string known = text;
            ASSERT_TRUE(conversion.ConvertUtf8Lines(&known[0], known.size(), true));
            ASSERT_EQ(known, expected);
        }
    }
}

// Long runs are cut into parts converted on several threads: the lines come out as one by one, wherever the
// cuts fall, with phrases and with a named chain, in GBK and in UTF-8.
TEST(TextConversionTest, LongRunsConvertInPartsAsLineByLine) {
    const CharTables tables = ShippedTables();
    PhraseTables phrases;
    ASSERT_EQ(PhraseLoadResult::Loaded,
              LoadPhrases(phrases, (testsupport::ProgramFolder() / kPhraseFileName).string()));
    CConversionChain chain;
    std::string error;
    ASSERT_TRUE(CConversionChain::Build("s2twp", phrases, tables, chain, error)) << error;
    const std::vector<PhraseEntry>& words = phrases.Phrases(Direction::ToTraditional);
    std::mt19937 random(5);
    // Lines of up to 3,000 bytes of phrases and letters, then one line longer than a part, and a last line
    // without its terminator.
    std::string gbk;
    while (gbk.size() < 400 * 1024) {
        for (std::size_t k = random() % 150; k > 0; --k)
            gbk += random() % 4 ? words[random() % words.size()].phrase : "a";
        gbk += random() % 3 ? "\xc9\xcf\n" : "\r\n";  // 上 (U+4E0A) before some line ends
        if (gbk.size() > 200 * 1024 && gbk.size() < 210 * 1024) gbk += std::string(100 * 1024, 'x') + "\n";
    }
    gbk += words[0].phrase;
    std::u32string decoded;
    ASSERT_TRUE(DecodeAll(gbk, decoded));
    const std::string utf8 = Utf8Of(decoded);
    const CTextConversion byWords(tables, Direction::ToTraditional, &phrases);
    const CTextConversion byName(tables, chain);
    // The user's pairs, over characters alone and over a chain: a hundred of the phrases, made longer,
    // shorter or ASCII.
    testsupport::TempDir dir;
    std::string pairsFile;
    for (int k = 0; k < 100; ++k) {
        std::u32string from;
        ASSERT_TRUE(DecodeAll(words[random() % words.size()].phrase, from));
        pairsFile += Utf8Of(from) + "\t" + (k % 3 == 0 ? "XY" : k % 3 == 1 ? Utf8Of(from) + "Z" : "X") + "\n";
    }
    testsupport::WriteBytes(dir.File("pairs.txt"), pairsFile);
    CUserPairs pairs;
    std::string pairsError;
    ASSERT_TRUE(pairs.Load(dir.File("pairs.txt"), pairsError)) << pairsError;
    CTextConversion byCharactersMine(tables, Direction::ToTraditional);
    byCharactersMine.Prefer(&pairs);
    CTextConversion byNameMine(tables, chain);
    byNameMine.Prefer(&pairs);
    const CTextConversion* const conversions[] = {&byWords, &byName, &byCharactersMine, &byNameMine};
    for (const CTextConversion* conversion : conversions) {
        std::string expectedGbk;
        std::string expectedUtf8;
        text::ForEachLine(gbk.data(), gbk.size(), '\n', '\r', [&](std::size_t at, std::size_t size) {
            std::string line = gbk.substr(at, size);
            conversion->ConvertGbk(line);
            expectedGbk += line + gbk.substr(at + size, gbk.compare(at + size, 2, "\r\n") == 0 ? 2 : 1);
            return true;
        });
        text::ForEachLine(utf8.data(), utf8.size(), '\n', '\r', [&](std::size_t at, std::size_t size) {
            std::string line = utf8.substr(at, size);
            conversion->ConvertUtf8(line);
            expectedUtf8 += line + utf8.substr(at + size, utf8.compare(at + size, 2, "\r\n") == 0 ? 2 : 1);
            return true;
        });
        std::string run = gbk;
        std::string out;
        ASSERT_TRUE(conversion->ConvertGbkLinesInto(&run[0], run.size(), out));
        EXPECT_TRUE(out == expectedGbk);
        ASSERT_TRUE(conversion->ConvertsRunParts(TextEncoding::Utf8));
        std::string utf8Run = utf8;
        conversion->ConvertRunPart(TextEncoding::Utf8, &utf8Run[0], utf8Run.size(), out);
        EXPECT_TRUE(out == expectedUtf8);
        // UTF-16 in either byte order: lines end at the unit LF, never at a byte 0A of another unit (上 is
        // 4E0A).
        for (const bool swapped : {false, true}) {
            const std::u16string units = Utf16Of(utf8, swapped);
            const auto lf = static_cast<char16_t>(swapped ? u'\n' << 8 : u'\n');
            std::u16string expected16;
            text::ForEachLine(
                units.data(), units.size(), lf, static_cast<char16_t>(swapped ? u'\r' << 8 : u'\r'),
                [&](std::size_t at, std::size_t size) {
                    std::u16string line = units.substr(at, size);
                    conversion->ConvertUtf16(line, swapped);
                    const std::size_t end = at + size;  // then LF, CR LF, or nothing
                    const std::size_t ending = end == units.size() ? 0 : units[end] == lf ? 1 : 2;
                    expected16 += line + units.substr(end, ending);
                    return true;
                });
            // The units as they lie in memory, in the host's order (little-endian here) or the other one.
            const TextEncoding encoding = swapped ? TextEncoding::Utf16Be : TextEncoding::Utf16Le;
            ASSERT_TRUE(conversion->ConvertsRunParts(encoding));
            std::string bytes(reinterpret_cast<const char*>(units.data()), units.size() * 2);
            conversion->ConvertRunPart(encoding, &bytes[0], bytes.size(), out);
            EXPECT_TRUE(out ==
                        std::string(reinterpret_cast<const char*>(expected16.data()), expected16.size() * 2))
                << "swapped " << swapped;
        }
    }
}

}  // namespace
