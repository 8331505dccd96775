// FileSystem.cpp: thin wide-API calls behind GBK names.
#include "FileSystem.hpp"

#include <windows.h>

#include "CodePage.hpp"

namespace platform {

bool MakeDirectory(const std::string& path) {
    return ::CreateDirectoryW(WideFromGbk(path).c_str(), nullptr) != 0;
}

bool SetAttributes(const std::string& path, std::uint32_t attributes) {
    return ::SetFileAttributesW(WideFromGbk(path).c_str(), attributes) != 0;
}

bool RemoveFile(const std::string& path) { return ::DeleteFileW(WideFromGbk(path).c_str()) != 0; }

std::string CurrentDirectory() {
    DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    while (size > 0) {
        std::wstring dir(size, L'\0');
        const DWORD got = ::GetCurrentDirectoryW(size, dir.data());
        if (got < size) {
            dir.resize(got);
            return GbkFromWide(dir);
        }
        size = got;
    }
    return {};
}

bool ChangeDirectory(const std::string& path) {
    return ::SetCurrentDirectoryW(WideFromGbk(path).c_str()) != 0;
}

std::string ExecutablePath() {
    // GetModuleFileNameW truncates silently when the buffer is short; grow until the name fits.
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD got = ::GetModuleFileNameW(nullptr, path.data(), size);
        if (got == 0) return {};
        if (got < size) {
            path.resize(got);
            return GbkFromWide(path);
        }
        if (size >= 32768) return {};
    }
}

}  // namespace platform
