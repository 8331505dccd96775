// UnixLink.hpp: symbolic links made on the Unix side of Wine, for tests of what Win32 cannot build there
// (CreateSymbolicLinkW is a stub in Wine 8). Wine runs a Unix program started with CreateProcessW.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/WineUnix.hpp"

class CUnixLink {
  public:
    // link: an ASCII Windows path that does not exist yet; target: what the link holds, a Unix path.
    CUnixLink(const std::string& link, const std::string& target) : m_link(Widen(link)) {
        const std::string unixLink = testsupport::UnixNameOf(m_link);
        m_made =
            !unixLink.empty() &&
            testsupport::RunUnixProgram(L"Z:\\bin\\ln", "ln -s \"" + target + "\" \"" + unixLink + "\"") &&
            WaitFor(true);
    }
    // Removes the link itself: Wine's DeleteFileW would delete what it points to.
    ~CUnixLink() {
        const std::string unixLink = testsupport::UnixNameOf(m_link);
        if (m_made && testsupport::RunUnixProgram(L"Z:\\bin\\rm", "rm -f \"" + unixLink + "\""))
            WaitFor(false);
    }
    CUnixLink(const CUnixLink&) = delete;
    CUnixLink& operator=(const CUnixLink&) = delete;

    bool Made() const { return m_made; }

  private:
    static std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

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
