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
#include "tests/reference/LiteralConversion.hpp"
#include "tests/support/ReaderLines.hpp"

namespace {

const char* Name(Direction direction) {
    return direction == Direction::ToTraditional ? "to Traditional" : "to Simplified";
}

void PrintHex(const char* name, const std::string& bytes) {
    std::fprintf(stderr, "%s \"", name);
    for (const unsigned char b : bytes) std::fprintf(stderr, "\\x%02x", b);
    std::fprintf(stderr, "\"\n");
}

void Check(const CharTables& tables, const std::string& text, Direction direction) {
    std::string expected = text;
    ConvertTextLiteral(expected, direction, tables);
    std::string fast = text;
    ConvertText(fast, direction, tables);
    if (fast == expected) return;
    std::fprintf(stderr, "ConvertText differs from ConvertTextLiteral, %s\n", Name(direction));
    PrintHex("simplified", tables.Simplified());
    PrintHex("traditional", tables.Traditional());
    PrintHex("text", text);
    PrintHex("literal", expected);
    PrintHex("fast", fast);
    std::abort();
}

void CheckRun(const CharTables& tables, const std::string& run, Direction direction) {
    std::string converted = run;
    const bool taken =
        ConvertLineRun(converted.empty() ? nullptr : &converted[0], converted.size(), direction, tables);
    std::vector<std::string> expected = testsupport::ReaderLines(run);
    if (taken) {
        for (std::string& line : expected) ConvertTextLiteral(line, direction, tables);
        if (testsupport::ReaderLines(converted) == expected) return;
    } else if (converted == run) {
        return;
    }
    std::fprintf(stderr, "ConvertLineRun %s, %s\n",
                 taken ? "differs from ConvertTextLiteral line by line" : "refused and changed the run",
                 Name(direction));
    PrintHex("simplified", tables.Simplified());
    PrintHex("traditional", tables.Traditional());
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
    std::string simplified = take(lengths.size() > 0 ? static_cast<unsigned char>(lengths[0]) : 0);
    const CharTables tables(std::move(simplified),
                            take(lengths.size() > 1 ? static_cast<unsigned char>(lengths[1]) : 0));
    const std::string text = take(std::string::npos);

    for (const Direction direction : {Direction::ToTraditional, Direction::ToSimplified}) {
        Check(tables, text, direction);
        CheckRun(tables, text, direction);
        std::string once = text;
        ConvertTextLiteral(once, direction, tables);
        Check(tables, once,
              direction == Direction::ToTraditional ? Direction::ToSimplified : Direction::ToTraditional);
    }
    return 0;
}
