// ConvertCommand.cpp: argument parsing and the conversion run of zendrix-convert.
#include "ConvertCommand.hpp"

#include "System.hpp"
#include "core/CharTables.hpp"
#include "core/ConvertText.hpp"
#include "platform/TextFile.hpp"

namespace cli {

namespace {

const std::string kUsageLine =
    "zendrix-convert --to-traditional|--to-simplified [--table FILE] [--force] INPUT OUTPUT";

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

bool SetDirection(ConvertOptions& options, int toTraditional, std::string& error) {
    if (options.toTraditional != -1 && options.toTraditional != toTraditional) {
        error = "give one direction only: --to-traditional or --to-simplified";
        return false;
    }
    options.toTraditional = toTraditional;
    return true;
}

// The temporary output sits beside OUTPUT so that the final rename stays within one folder. It is created
// exclusively: a name already taken is never truncated.
bool CreateTemporaryBeside(const std::string& output, std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary =
            output + ".zendrix-" + std::to_string(ProcessId()) + "-" + std::to_string(attempt) + ".tmp";
        if (CreateNewFile(temporary)) return true;
        if (!PathExists(temporary)) return false;  // the folder refuses, not a name clash
    }
    return false;
}

int CheckOutput(const ConvertOptions& options, std::string& message) {
    if (!PathExists(options.output)) return kExitOk;
    if (SameFile(options.input, options.output)) {
        message = "the output " + Quoted(options.output) + " is the input file itself";
    } else if (IsDirectory(options.output)) {
        message = "the output " + Quoted(options.output) + " is a folder";
    } else if (!options.force) {
        message = "the output " + Quoted(options.output) + " exists already (--force replaces it)";
    } else {
        return kExitOk;
    }
    return kExitUsage;
}

// Streams every line of reader through ConvertText into the file at path. False on a read or write failure,
// with message set.
bool ConvertLines(platform::CTextReader& reader, const std::string& path, const ConvertOptions& options,
                  const CharTables& tables, std::string& message) {
    platform::CTextWriter writer;
    if (!writer.Create(path)) {
        message = "cannot write " + Quoted(path);
        return false;
    }
    std::string line;
    while (reader.ReadLine(line)) {
        ConvertText(line, options.toTraditional, tables);
        if (!writer.WriteLine(line)) break;
    }
    const bool readFailed = reader.Failed();
    reader.Close();
    const bool written = writer.Close();
    if (readFailed) {
        message = "reading " + Quoted(options.input) + " failed; nothing was written";
    } else if (!written) {
        message = "writing " + Quoted(options.output) + " failed (disk full?); nothing was written";
    }
    return !readFailed && written;
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& args, ConvertOptions& options, std::string& error) {
    options = ConvertOptions();
    if (args.empty()) {
        error = "no arguments; usage: " + kUsageLine;
        return false;
    }
    std::vector<std::string> names;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            names.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--to-traditional" || arg == "--to-simplified") {
            if (!SetDirection(options, arg == "--to-traditional" ? 1 : 0, error)) return false;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--table" || arg.compare(0, 8, "--table=") == 0) {
            if (arg == "--table" && i + 1 == args.size()) {
                error = "--table needs a FILE";
                return false;
            }
            options.table = arg == "--table" ? args[++i] : arg.substr(8);
            if (options.table.empty()) {
                error = "--table needs a FILE";
                return false;
            }
        } else {
            error = "unknown option " + Quoted(arg);
            return false;
        }
    }
    if (options.help) return true;
    if (options.toTraditional == -1) {
        error = "choose a direction: --to-traditional or --to-simplified";
        return false;
    }
    if (names.size() < 2) {
        error = names.empty() ? "missing INPUT and OUTPUT" : "missing OUTPUT";
        return false;
    }
    if (names.size() > 2) {
        error = "one INPUT and one OUTPUT only; unexpected " + Quoted(names[2]);
        return false;
    }
    if (names[0].empty() || names[1].empty()) {
        error = "an empty file name";
        return false;
    }
    options.input = names[0];
    options.output = names[1];
    return true;
}

std::string UsageText() {
    return "Usage: " + kUsageLine + R"(

Converts the GBK text file INPUT into OUTPUT between Simplified and Traditional Chinese characters,
line by line, exactly as the Zendrix window converts a single file.

Options:
  --to-traditional  Simplified to Traditional
  --to-simplified   Traditional to Simplified
  --table FILE      the character table to use (also --table=FILE); by default Runemap.dll in the
                    folder of this program, whatever the current folder
  --force           replace OUTPUT if it exists (never when it is INPUT itself)
  --help, -h        show this text
  --                end of the options, for a file name that starts with '-'

Text: a line ends at LF and a CR right before the LF is dropped; a byte 0x1A ends the input. Every
output line ends in CR LF, the last one included; an empty INPUT gives an empty OUTPUT. INPUT is only
read, never changed.

Output: the result is written to a temporary file in OUTPUT's folder (OUTPUT.zendrix-PID-N.tmp) and
renamed to OUTPUT once complete, so a failure leaves no half-written OUTPUT and an existing OUTPUT
stays as it was. OUTPUT's folder must exist. A replaced OUTPUT is a new file: it does not keep the
old one's permissions or links.

File names are taken as given (bytes on Linux; on Windows from the wide command line, converted to
GBK, so a name must be representable in GBK).

Exit codes:
  0  OUTPUT written
  1  conversion failed: reading INPUT or writing the output failed, or the output could not be
     created or renamed to OUTPUT; no partial output is left
  2  bad use, nothing written: unknown option, missing or extra argument, no direction or both, the
     table file missing, unreadable or without its banner line, INPUT missing or unreadable, OUTPUT
     being INPUT (under any spelling or link), OUTPUT existing without --force, OUTPUT a folder
)";
}

int RunConversion(const ConvertOptions& options, std::string& message) {
    CharTables tables;
    const std::string tablePath = options.table.empty() ? DefaultTablePath() : options.table;
    switch (LoadTables(tables, tablePath)) {
        case LoadResult::NotOpenable:
            message = "cannot open the table file " + Quoted(tablePath);
            return kExitUsage;
        case LoadResult::BannerMismatch:
            message =
                Quoted(tablePath) + " is not a Zendrix character table (its second line is not the banner)";
            return kExitUsage;
        case LoadResult::Loaded:
            break;
    }

    platform::CTextReader reader;
    if (!reader.Open(options.input)) {
        message =
            "cannot open the input " + Quoted(options.input) + " (missing, a folder, unreadable or in use)";
        return kExitUsage;
    }
    if (const int refused = CheckOutput(options, message)) return refused;

    std::string temporary;
    if (!CreateTemporaryBeside(options.output, temporary)) {
        message = "cannot create a file in the folder of " + Quoted(options.output);
        return kExitFailed;
    }
    if (!ConvertLines(reader, temporary, options, tables, message)) {
        RemoveFile(temporary);
        return kExitFailed;
    }
    switch (MoveIntoPlace(temporary, options.output, options.force)) {
        case MoveResult::Moved:
            return kExitOk;
        case MoveResult::TargetExists:
            RemoveFile(temporary);
            message = "the output " + Quoted(options.output) + " appeared meanwhile; left as it is";
            return kExitUsage;
        case MoveResult::Failed:
            break;
    }
    RemoveFile(temporary);
    message = "cannot rename the finished output to " + Quoted(options.output) + "; nothing was written";
    return kExitFailed;
}

}  // namespace cli
