// ConvertTextFuzz.cpp: ConvertText must equal ConvertTextLiteral on any tables and any text.
//
// Input: one byte for the length of `simplified`, one for `traditional`, those bytes, then the text. Both
// directions are converted, then the result converted again, with the index stored in the tables and without.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/ConvertText.hpp"

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
        std::string once = text;
        ConvertTextLiteral(once, toTraditional, tables);
        Check(tables, once, 1 - toTraditional);
    }
    return 0;
}
