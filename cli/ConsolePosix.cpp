// ConsolePosix.cpp: zendrix-convert's console on Linux.
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "Console.hpp"
#include "Version.h"
#include "platform/FileSystem.hpp"

namespace cli {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string ProgramFile(const std::string& name) {
    const std::string exe = platform::ExecutablePath();
    return exe.empty() ? name : platform::JoinPath(platform::FolderOf(exe), name);
}

std::string VersionText() { return ZENDRIX_VERSION_TEXT; }

bool ErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

namespace {
OutputState g_output = OutputState::Written;
}  // namespace

void WriteOutput(const std::string& text) {
    if (g_output != OutputState::Written) return;
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if (std::fflush(stdout) == 0 && written) return;
    // A closed pipe ends the process by SIGPIPE unless that is ignored; then it is EPIPE.
    g_output = errno == EPIPE ? OutputState::Closed : OutputState::Failed;
}

OutputState OutputStateNow() { return g_output; }

void WriteError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace cli
