// RawFileWin32.cpp: the Win32 backend of CRawFile; GBK names go through code page 936 to the wide API.
#include <windows.h>

#include "CodePage.hpp"
#include "RawFile.hpp"

namespace platform {

namespace {
HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

bool CRawFile::OpenForReading(const std::string& gbkPath) {
    Close();
    // Share mode 0: the file stays ours alone until it is closed.
    HANDLE h = ::CreateFileW(WideFromGbk(gbkPath).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    m_handle = reinterpret_cast<std::intptr_t>(h);
    return true;
}

bool CRawFile::CreateForWriting(const std::string& gbkPath) {
    Close();
    HANDLE h = ::CreateFileW(WideFromGbk(gbkPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    m_handle = reinterpret_cast<std::intptr_t>(h);
    return true;
}

std::ptrdiff_t CRawFile::Read(char* buffer, std::size_t size) {
    DWORD got = 0;
    const DWORD want = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!::ReadFile(AsHandle(m_handle), buffer, want, &got, nullptr)) return -1;
    return static_cast<std::ptrdiff_t>(got);
}

bool CRawFile::Write(const char* data, std::size_t size) {
    while (size > 0) {
        DWORD put = 0;
        const DWORD want = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        if (!::WriteFile(AsHandle(m_handle), data, want, &put, nullptr) || put == 0) return false;
        data += put;
        size -= put;
    }
    return true;
}

std::int64_t CRawFile::Size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(AsHandle(m_handle), &size)) return -1;
    return size.QuadPart;
}

bool CRawFile::Close() {
    if (m_handle == kInvalid) return true;
    const bool ok = ::CloseHandle(AsHandle(m_handle)) != 0;
    m_handle = kInvalid;
    return ok;
}

}  // namespace platform
