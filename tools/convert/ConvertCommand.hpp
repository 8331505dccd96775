// ConvertCommand.hpp: zendrix-convert's options and the one run that converts a file.
//
// zendrix-convert --to-traditional|--to-simplified [--table FILE] [--force] INPUT OUTPUT
//
// Exit codes:
//   0  OUTPUT was written (also for --help)
//   1  the conversion failed: reading INPUT or writing the output failed, or the output could not be
//      created or put in place under its name; no partial output is left and an existing OUTPUT is as it was
//   2  bad use: unknown option, missing or extra arguments, no direction or both, the table file missing,
//      unreadable or without the banner line, INPUT missing or unreadable, OUTPUT being INPUT itself (under
//      any spelling or link), OUTPUT existing without --force, OUTPUT being a folder; nothing was written
#pragma once

#include <string>
#include <vector>

namespace cli {

enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

struct ConvertOptions {
    int toTraditional = -1;  // -1 until a direction is given
    bool force = false;
    bool help = false;
    std::string table;  // empty: the table file beside the executable
    std::string input;
    std::string output;
};

// Reads the arguments that follow the program's name. On bad use returns false and says why in error.
bool ParseArguments(const std::vector<std::string>& args, ConvertOptions& options, std::string& error);

// The --help text.
std::string UsageText();

// Converts INPUT into OUTPUT line by line, as the window's single-file conversion does, through a temporary
// file beside OUTPUT that takes OUTPUT's name only once complete. Returns an exit code; unless it is kExitOk,
// message says what went wrong.
int RunConversion(const ConvertOptions& options, std::string& message);

}  // namespace cli
