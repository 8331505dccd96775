// LineLoop.cpp: line_loop, the bare line loop of a file conversion, with and without the conversion.
//
//   line_loop copy INPUT OUTPUT          every line read and written back unchanged
//   line_loop convert TABLE INPUT OUTPUT  the window's loop (convert/ConvertLines.hpp), to Traditional
//
// Both read with platform::CTextReader and write with platform::CTextWriter and take the progress position
// after every line; they differ only in the conversion. No temporary file, no rename, no fsync: the
// floor that zendrix-convert is compared with. Exits with 0 once OUTPUT is written, 1 on a failure, 2 on bad
// use.
#include <cstdio>
#include <string>

#include "convert/ConvertLines.hpp"
#include "core/CharTables.hpp"
#include "platform/TextFile.hpp"

namespace {

volatile int g_progress = 0;  // stands in for the window's progress bar

// ConvertLines without the conversion.
LinesOutcome CopyLines(platform::CTextReader& reader, platform::CTextWriter& writer) {
    const std::int64_t total = reader.Length();
    std::int64_t written = 0;
    platform::LineRun run;
    while (reader.ReadLines(run)) {
        const bool allWritten = ForEachLine(run, [&](const char* data, std::size_t size) {
            if (!writer.WriteLine(data, size)) return false;
            written += static_cast<std::int64_t>(size);
            g_progress = ProgressPosition(written, total);
            return true;
        });
        if (!allWritten) return LinesOutcome::WriteFailed;
    }
    return reader.Failed() ? LinesOutcome::ReadFailed : LinesOutcome::Done;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "line_loop: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool convert = mode == "convert";
    if (!(mode == "copy" && argc == 4) && !(convert && argc == 5)) {
        std::fprintf(stderr, "usage: line_loop copy INPUT OUTPUT | line_loop convert TABLE INPUT OUTPUT\n");
        return 2;
    }
    const std::string input = argv[convert ? 3 : 2];
    const std::string output = argv[convert ? 4 : 3];
    CharTables tables;
    if (convert && LoadTables(tables, argv[2]) != LoadResult::Loaded) return Fail("cannot load the table");

    platform::CTextReader reader;
    if (!reader.Open(input)) return Fail("cannot open " + input);
    platform::CTextWriter writer;
    if (!writer.Create(output)) return Fail("cannot create " + output);
    const LinesOutcome outcome =
        convert ? ConvertLines(reader, writer, 1, tables, [](int position) { g_progress = position; })
                : CopyLines(reader, writer);
    reader.Close();
    const bool closed = writer.Close();
    if (outcome == LinesOutcome::ReadFailed) return Fail("reading " + input + " failed");
    if (outcome == LinesOutcome::WriteFailed || !closed) return Fail("writing " + output + " failed");
    return 0;
}
