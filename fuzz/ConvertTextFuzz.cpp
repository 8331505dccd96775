// ConvertTextFuzz.cpp: ConvertText must equal ConvertTextLiteral on any tables and any text, and
// ConvertLineRun must convert a run of lines as ConvertTextLiteral converts each line, or refuse and leave it
// alone.
//
// Input: one byte for the length of `simplified`, one for `traditional`, those bytes, then the text. Both
// directions are converted, then the result converted again, with the index stored in the tables and without;
// the text is also taken as a run of lines.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/ConvertText.hpp"
#include "tests/support/ReaderLines.hpp"

namespace {

void PrintHex(const char* name, const std::string& bytes) {
    std::fprintf(stderr, "%s \"", name);
    for (const unsigned char b : bytes) std::fprintf(stderr, "\\x%02x", b);
    std::fprintf(stderr, "\"\n");
}

void Check(const CharTables& tables, const std::string& text, int toTraditional) {
    std::string expected = text;
    ConvertTextLiteral(expected, toTraditional, tables);
    std::string fast = text;
    ConvertText(fast, toTraditional, tables);
    std::string unindexed = text;
    ConvertText(unindexed, toTraditional, CharTables{tables.simplified, tables.traditional});
    if (fast == expected && unindexed == expected) return;
    std::fprintf(stderr, "ConvertText differs from ConvertTextLiteral, toTraditional %d\n", toTraditional);
    PrintHex("simplified", tables.simplified);
    PrintHex("traditional", tables.traditional);
    PrintHex("text", text);
    PrintHex("literal", expected);
    PrintHex("fast", fast);
    PrintHex("unindexed", unindexed);
    std::abort();
}

void CheckRun(const CharTables& tables, const std::string& run, int toTraditional) {
    std::string converted = run;
    const bool taken =
        ConvertLineRun(converted.empty() ? nullptr : &converted[0], converted.size(), toTraditional, tables);
    std::vector<std::string> expected = testsupport::ReaderLines(run);
    if (taken) {
        for (std::string& line : expected) ConvertTextLiteral(line, toTraditional, tables);
        if (testsupport::ReaderLines(converted) == expected) return;
    } else if (converted == run) {
        return;
    }
    std::fprintf(stderr, "ConvertLineRun %s, toTraditional %d\n",
                 taken ? "differs from ConvertTextLiteral line by line" : "refused and changed the run",
                 toTraditional);
    PrintHex("simplified", tables.simplified);
    PrintHex("traditional", tables.traditional);
    PrintHex("run", run);
    PrintHex("converted", converted);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    auto take = [&](std::size_t count) {
        count = std::min(count, input.size() - at);
        const std::string part = input.substr(at, count);
        at += count;
        return part;
    };
    const std::string lengths = take(2);
    CharTables tables;
    tables.simplified = take(lengths.size() > 0 ? static_cast<unsigned char>(lengths[0]) : 0);
    tables.traditional = take(lengths.size() > 1 ? static_cast<unsigned char>(lengths[1]) : 0);
    const std::string text = take(std::string::npos);
    BuildIndex(tables);

    for (int toTraditional = 1; toTraditional >= 0; --toTraditional) {
        Check(tables, text, toTraditional);
        CheckRun(tables, text, toTraditional);
        std::string once = text;
        ConvertTextLiteral(once, toTraditional, tables);
        Check(tables, once, 1 - toTraditional);
    }
    return 0;
}
