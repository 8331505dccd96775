// ConvertCommand.hpp: zendrix-convert's options and the conversion of one file.
//
// zendrix-convert --to-traditional|--to-simplified [--table FILE] [--force] INPUT OUTPUT
// zendrix-convert --to-traditional|--to-simplified [--table FILE] --batch SOURCE DEST
//                 [--filter TEXT] [--force] [--verbose]
//
// Exit codes:
//   0  OUTPUT was written; with --batch, no file failed (a file skipped because its output exists is no
//      failure); also for --help.
//   1  a conversion failed: reading an input or writing an output failed, or an output could not be created
//      or put in place under its name; no partial output is left and an existing output is as it was.
//      With --batch: at least one file (or a folder that could not be listed) failed, or DEST could not be
//      created; the other files were converted.
//   2  bad use, nothing was written: unknown option, missing or extra arguments, no direction or both; the
//      table file missing, unreadable or without the banner line. Single file: INPUT missing or unreadable,
//      OUTPUT being INPUT itself (under any spelling or link), OUTPUT existing without --force, OUTPUT being a
//      folder. --batch: SOURCE not a folder, DEST something other than a folder, DEST being SOURCE itself.
#pragma once

#include <string>
#include <vector>

#include "core/CharTables.hpp"

namespace cli {

enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

struct ConvertOptions {
    int toTraditional = -1;  // -1 until a direction is given
    bool force = false;
    bool help = false;
    bool batch = false;
    bool verbose = false;
    bool filterGiven = false;
    std::string filter;  // --batch only; the window's default filter unless given
    std::string table;   // empty: the table file beside the executable
    std::string input;   // INPUT, or SOURCE with --batch
    std::string output;  // OUTPUT, or DEST with --batch
};

// Reads the arguments that follow the program's name. On bad use returns false and says why in error.
bool ParseArguments(const std::vector<std::string>& args, ConvertOptions& options, std::string& error);

// The --help text.
std::string UsageText();

// Loads the table that options name. Returns kExitOk, or kExitUsage with message set.
int LoadTablesFor(const ConvertOptions& options, CharTables& tables, std::string& message);

enum class FileOutcome {
    Converted,
    InputUnreadable,  // missing, a folder, unreadable or in use
    OutputIsInput,    // under any spelling or link, even with force
    OutputIsFolder,
    OutputExists,  // and force was not given, or it appeared while the output was being written
    Failed,        // reading or writing failed, or the output could not be created or renamed
};

// Converts input into output line by line, as the window's single-file conversion does, through a temporary
// file beside output that takes output's name only once complete. Unless the outcome is Converted, message
// says what went wrong and nothing was written.
FileOutcome ConvertOneFile(const std::string& input, const std::string& output, int toTraditional, bool force,
                           const CharTables& tables, std::string& message);

// The single-file mode. Returns an exit code; unless it is kExitOk, message says what went wrong.
int RunConversion(const ConvertOptions& options, std::string& message);

}  // namespace cli
