// ConsolePosix.cpp: zendrix-convert's console on Linux.
#include <unistd.h>

#include <cstdio>

#include "Console.hpp"
#include "Version.h"
#include "core/CharTables.hpp"
#include "platform/FileSystem.hpp"

namespace cli {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string DefaultTablePath() {
    const std::string exe = platform::ExecutablePath();
    return exe.empty() ? kTableFileName : platform::JoinPath(platform::FolderOf(exe), kTableFileName);
}

std::string VersionText() { return ZENDRIX_VERSION_TEXT; }

bool ErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void WriteOutput(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void WriteError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace cli
