// ConsoleWin32.cpp: zendrix-convert's console on Windows; text crosses the boundary as UTF-16.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <memory>

#include "Console.hpp"
#include "platform/CodePage.hpp"
#include "platform/FileSystem.hpp"

namespace cli {

namespace {

// GBK bytes for the code page the program's messages have always had when redirected to a file or a pipe.
std::string GbkOf(const std::wstring& wide) {
    const int size = static_cast<int>(wide.size());
    const int needed = ::WideCharToMultiByte(936, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) ::WideCharToMultiByte(936, 0, wide.data(), size, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

// Whether the text reached the handle; false with the system's error code.
bool WriteTo(DWORD which, const std::string& text) {
    HANDLE h = ::GetStdHandle(which);
    if (h == nullptr || h == INVALID_HANDLE_VALUE || text.empty()) return true;
    const std::wstring wide = platform::WideFromUtf8(text);
    DWORD mode = 0;
    DWORD done = 0;
    if (::GetConsoleMode(h, &mode)) {
        // A console shows UTF-16 whatever its code page.
        return ::WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr) != 0;
    }
    const std::string bytes = GbkOf(wide);
    return ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) != 0 &&
           done == bytes.size();
}

OutputState g_output = OutputState::Written;

}  // namespace

std::vector<std::string> ProgramArguments(int, char**) {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) return args;
    for (int i = 1; i < count; ++i) args.push_back(platform::Utf8FromWide(wide[i]));
    ::LocalFree(wide);
    return args;
}

std::string ProgramFile(const std::string& name) {
    const std::string exe = platform::ExecutablePath();
    return exe.empty() ? name : platform::JoinPath(platform::FolderOf(exe), name);
}

std::string VersionText() {
    const std::wstring exe = platform::WideFromUtf8(platform::ExecutablePath());
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    if (size == 0) return "unknown";
    std::unique_ptr<char[]> record(new char[size]);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::GetFileVersionInfoW(exe.c_str(), 0, size, record.get()) ||
        !::VerQueryValueW(record.get(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        fixed == nullptr) {
        return "unknown";
    }
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionLS));
}

bool ErrorIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void WriteOutput(const std::string& text) {
    if (g_output != OutputState::Written || WriteTo(STD_OUTPUT_HANDLE, text)) return;
    const DWORD error = ::GetLastError();
    g_output =
        error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE ? OutputState::Closed : OutputState::Failed;
}

void WriteError(const std::string& text) { WriteTo(STD_ERROR_HANDLE, text); }

OutputState OutputStateNow() { return g_output; }

}  // namespace cli
