// Console.hpp: what zendrix-convert needs from the system beyond files: its arguments, its own folder, its
// version and its two output streams. One backend per system.
#pragma once

#include <string>
#include <vector>

namespace cli {

// The arguments after the program's name, UTF-8: on Linux as they come, on Windows from the wide command
// line.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// A file of that name in the folder of the running executable ("Runemap.dll", "Runewords.txt"); the bare name
// if that folder cannot be found.
std::string ProgramFile(const std::string& name);

// The version from the program's version record ("1.0.0.1").
std::string VersionText();

bool ErrorIsTerminal();  // stderr is a terminal or console, not a file or pipe

void WriteOutput(const std::string& text);  // stdout
void WriteError(const std::string& text);   // stderr; shown right on a Windows console whatever its code page

enum class OutputState {
    Written,  // everything WriteOutput was given reached stdout
    Failed,   // a write failed (a full disk): worth a message
    Closed,   // the reading end of a pipe was closed: the reader wants no more; nothing to say
};
OutputState OutputStateNow();

}  // namespace cli
