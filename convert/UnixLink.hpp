// UnixLink.hpp: symbolic links made on the Unix side of Wine, for tests of what Win32 cannot build there
// (CreateSymbolicLinkW is a stub in Wine 8). Wine runs a Unix program started with CreateProcessW.
#pragma once

#include <windows.h>

#include <string>

class CUnixLink {
public:
    // link: an ASCII Windows path that does not exist yet; target: what the link holds, a Unix path.
    CUnixLink(const std::string& link, const std::string& target) : m_link(Widen(link)) {
        const std::string unixLink = UnixNameOf(m_link);
        m_made = !unixLink.empty() && Run(L"Z:\\bin\\ln", "ln -s \"" + target + "\" \"" + unixLink + "\"") &&
                 WaitFor(true);
    }
    // Removes the link itself: Wine's DeleteFileW would delete what it points to.
    ~CUnixLink() {
        const std::string unixLink = UnixNameOf(m_link);
        if (m_made && Run(L"Z:\\bin\\rm", "rm -f \"" + unixLink + "\"")) WaitFor(false);
    }
    CUnixLink(const CUnixLink&) = delete;
    CUnixLink& operator=(const CUnixLink&) = delete;

    bool Made() const { return m_made; }

private:
    static std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

    static std::string UnixNameOf(const std::wstring& path) {
        using UnixName = char*(__cdecl*)(const wchar_t*);
        const FARPROC proc = ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
        if (!proc) return {};
        char* name = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(proc))(path.c_str());
        if (!name) return {};
        std::string result(name);
        ::HeapFree(::GetProcessHeap(), 0, name);
        return result;
    }

    // Wine splits the command line as Windows does, so arguments are quoted with double quotes.
    static bool Run(const wchar_t* program, const std::string& commandLine) {
        std::wstring line = Widen(commandLine);
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

    // A Unix child cannot be waited for; watch its effect instead.
    bool WaitFor(bool present) const {
        for (int i = 0; i < 200; ++i) {
            const bool exists = ::GetFileAttributesW(m_link.c_str()) != INVALID_FILE_ATTRIBUTES;
            if (exists == present) return true;
            ::Sleep(50);
        }
        return false;
    }

    std::wstring m_link;
    bool m_made = false;
};
