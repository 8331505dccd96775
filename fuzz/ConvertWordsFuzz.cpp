// ConvertWordsFuzz.cpp: ConvertWords must equal ConvertWordsLiteral on any tables, phrases and text;
// ConvertWordsLineRun must give each line as ConvertWordsLiteral converts it alone, or refuse with nothing;
// the review list by words names no place the review by characters does not name.
//
// Input: one byte each for the lengths of `simplified` and `traditional` and for the number of phrases, those
// table bytes, then per phrase one byte of lengths (phrase: high nibble, counterpart: low nibble) and the
// bytes; even phrases go to the Traditional list, odd ones to the Simplified list and, as one character and
// its forms, to the candidates. The rest is the text, converted both ways, and the result back again.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/ConvertWords.hpp"
#include "core/ReviewList.hpp"
#include "tests/reference/LiteralConversion.hpp"
#include "tests/support/ReaderLines.hpp"

namespace {

void PrintHex(const char* name, const std::string& bytes) {
    std::fprintf(stderr, "%s \"", name);
    for (const unsigned char b : bytes) std::fprintf(stderr, "\\x%02x", b);
    std::fprintf(stderr, "\"\n");
}

[[noreturn]] void Fail(const char* what, const CharTables& tables, const PhraseTables& phrases,
                       const std::string& text, Direction direction) {
    std::fprintf(stderr, "%s, to %s\n", what,
                 direction == Direction::ToTraditional ? "Traditional" : "Simplified");
    PrintHex("simplified", tables.Simplified());
    PrintHex("traditional", tables.Traditional());
    for (const PhraseEntry& e : phrases.Phrases(direction)) {
        PrintHex("phrase", e.phrase);
        PrintHex("  counterpart", e.counterpart);
    }
    PrintHex("text", text);
    std::abort();
}

std::string Converted(std::string text, Direction direction, const CharTables& tables,
                      const PhraseTables& phrases, bool literal) {
    (literal ? ConvertWordsLiteral : ConvertWords)(text, direction, tables, phrases);
    return text;
}

std::string Describe(const std::vector<ReviewPlace>& places) {
    std::string all;
    for (const ReviewPlace& place : places) {
        all += std::to_string(place.offset) + place.character + "|" + place.chosen + "|";
        for (const std::string& other : place.others) all += other + ",";
    }
    return all;
}

void Check(const CharTables& tables, const PhraseTables& phrases, const std::string& text,
           Direction direction) {
    const std::string expected = Converted(text, direction, tables, phrases, true);
    if (Converted(text, direction, tables, phrases, false) != expected) {
        Fail("ConvertWords differs from ConvertWordsLiteral", tables, phrases, text, direction);
    }

    std::string out;
    if (ConvertWordsLineRun(text.data(), text.size(), direction, tables, phrases, out)) {
        std::string lines;
        for (auto& [line, terminator] : testsupport::TerminatedLines(text)) {
            lines += Converted(line, direction, tables, phrases, true) + terminator;
        }
        if (out != lines || testsupport::ReaderLines(out).size() != testsupport::ReaderLines(text).size()) {
            Fail("ConvertWordsLineRun differs from the lines converted alone", tables, phrases, text,
                 direction);
        }
    } else if (!out.empty()) {
        Fail("ConvertWordsLineRun refused but gave something", tables, phrases, text, direction);
    }

    // Phrases only take places away: every place by words is a place by characters.
    const std::string byCharacters = Describe(ReviewList(text, CTextConversion(tables, direction), phrases));
    for (const ReviewPlace& place : ReviewList(text, CTextConversion(tables, direction, &phrases), phrases)) {
        if (byCharacters.find(Describe({place})) == std::string::npos)
            Fail("ReviewList by words names a place the characters do not", tables, phrases, text, direction);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    auto take = [&](std::size_t count) {
        count = std::min(count, input.size() - at);
        const std::string part = input.substr(at, count);
        at += count;
        return part;
    };
    auto takeByte = [&]() { return at < input.size() ? static_cast<unsigned char>(input[at++]) : 0u; };

    const unsigned simplifiedSize = takeByte(), traditionalSize = takeByte(), phraseCount = takeByte() % 24;
    std::string simplified = take(simplifiedSize);
    const CharTables tables(std::move(simplified), take(traditionalSize));
    std::vector<PhraseEntry> toTraditional;
    std::vector<PhraseEntry> toSimplified;
    std::vector<CandidateEntry> forms;
    for (unsigned k = 0; k < phraseCount; ++k) {
        const unsigned lengths = takeByte();
        PhraseEntry entry{take(lengths >> 4), take(lengths & 15)};
        if (k % 2 == 1 && !entry.phrase.empty())
            forms.push_back({entry.phrase, {entry.counterpart, entry.phrase}});
        (k % 2 == 0 ? toTraditional : toSimplified).push_back(std::move(entry));
    }
    const PhraseTables phrases(std::move(toTraditional), std::move(toSimplified), forms, forms);
    const std::string text = take(std::string::npos);

    for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
        const Direction back =
            direction == Direction::ToTraditional ? Direction::ToSimplified : Direction::ToTraditional;
        Check(tables, phrases, text, direction);
        Check(tables, phrases, Converted(text, direction, tables, phrases, true), back);
    }
    return 0;
}
