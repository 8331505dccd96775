// LineLoop.cpp: line_loop, the bare line loop of a file conversion: the window's loop
// (convert/ConvertLines.hpp), to Traditional (to Simplified with -s).
//
//   line_loop [-s] TABLE INPUT OUTPUT [PHRASES]   converts, by words when given the phrase file
//   line_loop-copy TABLE INPUT OUTPUT             the same program linked with NoConversion.cpp: copies
//
// Both read with platform::CTextReader, write with platform::CTextWriter and take the progress position after
// every line. No temporary file, no rename, no fsync: the floor that zendrix-convert is compared with. Exits
// with 0 once OUTPUT is written, 1 on a failure, 2 on bad use.
#include <cstdio>
#include <string>

#include "convert/ConvertLines.hpp"
#include "core/CharTables.hpp"
#include "core/TextConversion.hpp"
#include "platform/TextFile.hpp"

namespace {

volatile int g_progress = 0;  // stands in for the window's progress bar

int Fail(const std::string& message) {
    std::fprintf(stderr, "line_loop: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool toSimplified = argc > 1 && std::string(argv[1]) == "-s";
    const Direction direction = toSimplified ? Direction::ToSimplified : Direction::ToTraditional;
    argv += toSimplified ? 1 : 0;
    argc -= toSimplified ? 1 : 0;
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: line_loop [-s] TABLE INPUT OUTPUT [PHRASES]\n");
        return 2;
    }
    const std::string input = argv[2];
    const std::string output = argv[3];
    CharTables tables;
    if (LoadTables(tables, argv[1]) != LoadResult::Loaded) return Fail("cannot load the table");
    PhraseTables phrases;
    if (argc == 5 && LoadPhrases(phrases, argv[4]) != PhraseLoadResult::Loaded)
        return Fail("cannot load the phrases");

    platform::CTextReader reader;
    if (!reader.Open(input)) return Fail("cannot open " + input);
    platform::CTextWriter writer;
    if (!writer.Create(output)) return Fail("cannot create " + output);
    const auto progress = [](int position) { g_progress = position; };
    const CTextConversion conversion(tables, direction, argc == 5 ? &phrases : nullptr);
    const LinesOutcome outcome = ConvertLines(reader, writer, conversion, TextEncoding::Gbk, progress);
    reader.Close();
    const bool closed = writer.Close();
    if (outcome == LinesOutcome::ReadFailed) return Fail("reading " + input + " failed");
    if (outcome == LinesOutcome::WriteFailed || !closed) return Fail("writing " + output + " failed");
    return 0;
}
