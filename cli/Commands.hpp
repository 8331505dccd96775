// Commands.hpp: zendrix-convert's two modes, one file and a folder, on the file-conversion engine.
#pragma once

#include <string>

#include "Options.hpp"
#include "convert/FileEngine.hpp"

namespace cli {

// The single-file mode. Returns an exit code; unless it is kExitOk, message says what went wrong.
int RunConversion(const ConvertOptions& options, std::string& message);

// Converts every file below options.input (SOURCE, at any depth) that the filter admits into options.output
// (DEST) under its own name, as the window's batch run does: DEST receives no subfolders. DEST and its
// missing parents are created. Folder links are not followed, DEST is not entered when it lies inside SOURCE,
// an output that existed before the run is replaced only with force, and one written earlier in this run
// never. One file's failure does not end the run. Writes the --verbose lines and the summary to stdout,
// failures, notices and the progress line to stderr. Returns an exit code; for kExitUsage message says why.
int RunBatch(const ConvertOptions& options, std::string& message);

// --review: the places of INPUT where a character with several counterparts was converted by the character
// table alone, one line each on stdout. Returns an exit code; unless it is kExitOk, message says why.
int RunReview(const ConvertOptions& options, std::string& message);

// What an outcome of the engine means on the command line: the message and the exit code.
std::string OutcomeMessage(FileOutcome outcome, const std::string& input, const std::string& output);
int ExitCodeOf(FileOutcome outcome);
// The message for a file's report: OutcomeMessage's, and for an Unwritable file the place and the character.
std::string ReportMessage(const FileReport& report, const std::string& input, const std::string& output);
// "GBK", or "GBK -> UTF-8" when the output is in another encoding, with a note when a web page's declaration
// was changed: for --verbose.
std::string EncodingsOf(const FileReport& report);

// The notice for an input that a 0x1A byte ended with more after it, or "" when there is none.
std::string EndMarkNotice(const std::string& input, const FileReport& report);

}  // namespace cli
