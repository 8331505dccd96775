// LineLoop.cpp: line_loop, the bare line loop of a file conversion: the window's loop (convert/ConvertLines.hpp),
// to Traditional.
//
//   line_loop TABLE INPUT OUTPUT        converts
//   line_loop-copy TABLE INPUT OUTPUT   the same program linked with NoConversion.cpp: copies
//
// Both read with platform::CTextReader, write with platform::CTextWriter and take the progress position after
// every line. No temporary file, no rename, no fsync: the floor that zendrix-convert is compared with. Exits
// with 0 once OUTPUT is written, 1 on a failure, 2 on bad use.
#include <cstdio>
#include <string>

#include "convert/ConvertLines.hpp"
#include "core/CharTables.hpp"
#include "platform/TextFile.hpp"

namespace {

volatile int g_progress = 0;  // stands in for the window's progress bar

int Fail(const std::string& message) {
    std::fprintf(stderr, "line_loop: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: line_loop TABLE INPUT OUTPUT\n");
        return 2;
    }
    const std::string input = argv[2];
    const std::string output = argv[3];
    CharTables tables;
    if (LoadTables(tables, argv[1]) != LoadResult::Loaded) return Fail("cannot load the table");

    platform::CTextReader reader;
    if (!reader.Open(input)) return Fail("cannot open " + input);
    platform::CTextWriter writer;
    if (!writer.Create(output)) return Fail("cannot create " + output);
    const LinesOutcome outcome =
        ConvertLines(reader, writer, 1, tables, [](int position) { g_progress = position; });
    reader.Close();
    const bool closed = writer.Close();
    if (outcome == LinesOutcome::ReadFailed) return Fail("reading " + input + " failed");
    if (outcome == LinesOutcome::WriteFailed || !closed) return Fail("writing " + output + " failed");
    return 0;
}
