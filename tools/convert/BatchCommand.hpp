// BatchCommand.hpp: zendrix-convert --batch, every eligible file below a folder into one folder.
#pragma once

#include <string>

#include "ConvertCommand.hpp"

namespace cli {

// Converts every file below options.input (SOURCE, at any depth) that the filter admits into options.output
// (DEST) under its own name, as the window's batch run does: DEST receives no subfolders. DEST and its
// missing parents are created. Folder links are not followed, DEST is not entered when it lies inside SOURCE,
// and an existing file is replaced only with force (a second file of the same name included). One file's
// failure does not end the run. Writes the --verbose lines and the summary to stdout, failures and the
// progress line to stderr. Returns an exit code; for kExitUsage, and for kExitFailed before any file was
// looked at, message says why.
int RunBatch(const ConvertOptions& options, std::string& message);

}  // namespace cli
