// ConvertWordsFuzz.cpp: ConvertWords must equal ConvertWordsLiteral on any tables, phrases and text;
// ConvertWordsLineRun must give each line as ConvertWordsLiteral converts it alone, or refuse with nothing;
// ReviewList must not depend on whether the tables carry their index.
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
#include "tests/support/ReaderLines.hpp"

namespace {

void PrintHex(const char* name, const std::string& bytes) {
    std::fprintf(stderr, "%s \"", name);
    for (const unsigned char b : bytes) std::fprintf(stderr, "\\x%02x", b);
    std::fprintf(stderr, "\"\n");
}

[[noreturn]] void Fail(const char* what, const CharTables& tables, const PhraseTables& phrases,
                       const std::string& text, int toTraditional) {
    std::fprintf(stderr, "%s, toTraditional %d\n", what, toTraditional);
    PrintHex("simplified", tables.simplified);
    PrintHex("traditional", tables.traditional);
    for (const PhraseEntry& e : toTraditional ? phrases.toTraditional : phrases.toSimplified) {
        PrintHex("phrase", e.phrase);
        PrintHex("  counterpart", e.counterpart);
    }
    PrintHex("text", text);
    std::abort();
}

std::string Converted(std::string text, int toTraditional, const CharTables& tables,
                      const PhraseTables& phrases, bool literal) {
    (literal ? ConvertWordsLiteral : ConvertWords)(text, toTraditional, tables, phrases);
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
           int toTraditional) {
    const std::string expected = Converted(text, toTraditional, tables, phrases, true);
    PhraseTables unindexed = phrases;
    unindexed.index.reset();
    const CharTables plain{tables.simplified, tables.traditional};
    if (Converted(text, toTraditional, tables, phrases, false) != expected ||
        Converted(text, toTraditional, plain, unindexed, false) != expected) {
        Fail("ConvertWords differs from ConvertWordsLiteral", tables, phrases, text, toTraditional);
    }

    std::string out;
    if (ConvertWordsLineRun(text.data(), text.size(), toTraditional, tables, phrases, out)) {
        std::string lines;
        for (auto& [line, terminator] : testsupport::TerminatedLines(text)) {
            lines += Converted(line, toTraditional, tables, phrases, true) + terminator;
        }
        if (out != lines || testsupport::ReaderLines(out).size() != testsupport::ReaderLines(text).size()) {
            Fail("ConvertWordsLineRun differs from the lines converted alone", tables, phrases, text,
                 toTraditional);
        }
    } else if (!out.empty()) {
        Fail("ConvertWordsLineRun refused but gave something", tables, phrases, text, toTraditional);
    }

    for (const bool usePhrases : {true, false}) {
        if (Describe(ReviewList(text, toTraditional, tables, phrases, usePhrases)) !=
            Describe(ReviewList(text, toTraditional, plain, unindexed, usePhrases))) {
            Fail("ReviewList depends on the index", tables, phrases, text, toTraditional);
        }
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

    CharTables tables;
    const unsigned simplifiedSize = takeByte(), traditionalSize = takeByte(), phraseCount = takeByte() % 24;
    tables.simplified = take(simplifiedSize);
    tables.traditional = take(traditionalSize);
    PhraseTables phrases;
    for (unsigned k = 0; k < phraseCount; ++k) {
        const unsigned lengths = takeByte();
        PhraseEntry entry{take(lengths >> 4), take(lengths & 15)};
        if (k % 2 == 1 && !entry.phrase.empty()) {
            phrases.simplifiedForms.push_back({entry.phrase, {entry.counterpart, entry.phrase}});
        }
        (k % 2 == 0 ? phrases.toTraditional : phrases.toSimplified).push_back(std::move(entry));
    }
    phrases.traditionalForms = phrases.simplifiedForms;
    const std::string text = take(std::string::npos);
    BuildIndex(tables);
    BuildPhraseIndex(phrases);

    for (int toTraditional = 1; toTraditional >= 0; --toTraditional) {
        Check(tables, phrases, text, toTraditional);
        Check(tables, phrases, Converted(text, toTraditional, tables, phrases, true), 1 - toTraditional);
    }
    return 0;
}
