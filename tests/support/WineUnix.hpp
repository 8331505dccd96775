// WineUnix.hpp: reaching the Unix side of Wine from a test: a path's Unix name, and starting a Unix program.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// The Unix name of a Windows path, or "" where Wine does not say (or this is not Wine).
inline std::string UnixNameOf(const std::wstring& path) {
    using UnixName = char*(__cdecl*)(const wchar_t*);
    const FARPROC proc = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (!proc) return {};
    char* name = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(proc))(path.c_str());
    if (!name) return {};
    std::string result(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}

// Starts a Unix program (Z:\bin\...). Wine splits the command line as Windows does, so arguments are quoted
// with double quotes. A Unix child cannot be waited for under Wine: callers watch its effect instead.
inline bool RunUnixProgram(const wchar_t* program, const std::string& commandLine) {
    std::wstring line(commandLine.begin(), commandLine.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

}  // namespace testsupport
