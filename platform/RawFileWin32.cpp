// RawFileWin32.cpp: the Win32 backend of CRawFile; UTF-8 names go to the wide API.
#include <windows.h>

#include "CodePage.hpp"
#include "RawFile.hpp"

namespace platform {

namespace {

HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// Share mode 0: the file stays ours alone until it is closed (but for deletion, where share is
// FILE_SHARE_DELETE).
HANDLE OpenExclusive(const std::string& path, DWORD access, DWORD disposition, DWORD share = 0) {
    return ::CreateFileW(WidePath(path).c_str(), access, share, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// Keeps a handle just opened; false when the opening failed.
bool Keep(std::intptr_t& handle, HANDLE h) {
    if (h == INVALID_HANDLE_VALUE) return false;
    handle = reinterpret_cast<std::intptr_t>(h);
    return true;
}

}  // namespace

bool CRawFile::OpenForReading(const std::string& path) {
    Close();
    return Keep(m_handle, OpenExclusive(path, GENERIC_READ, OPEN_EXISTING));
}

bool CRawFile::CreateForWriting(const std::string& path) {
    Close();
    return Keep(m_handle, OpenExclusive(path, GENERIC_WRITE, CREATE_ALWAYS));
}

bool CRawFile::CreateNew(const std::string& path) {
    Close();
    // CREATE_NEW fails on any existing name, a symbolic link included (it is not followed). A new file is
    // an unfinished output, which a console's close must be able to delete while it is open.
    m_durable = Keep(m_handle, OpenExclusive(path, GENERIC_WRITE, CREATE_NEW, FILE_SHARE_DELETE));
    return m_durable;
}

bool CRawFile::TakePermissionsOf(const std::string&) { return IsOpen(); }

void CRawFile::UseStandardInput() {
    Close();
    m_handle = reinterpret_cast<std::intptr_t>(::GetStdHandle(STD_INPUT_HANDLE));
    m_standard = true;
}

void CRawFile::UseStandardOutput() {
    Close();
    m_handle = reinterpret_cast<std::intptr_t>(::GetStdHandle(STD_OUTPUT_HANDLE));
    m_standard = true;
}

std::ptrdiff_t CRawFile::Read(char* buffer, std::size_t size) {
    DWORD got = 0;
    const DWORD want = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!::ReadFile(AsHandle(m_handle), buffer, want, &got, nullptr)) {
        // The writing end of a pipe was closed: the end of the input, not a failure.
        return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return static_cast<std::ptrdiff_t>(got);
}

bool CRawFile::Write(const char* data, std::size_t size) {
    while (size > 0) {
        DWORD put = 0;
        const DWORD want = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        if (!::WriteFile(AsHandle(m_handle), data, want, &put, nullptr) || put == 0) {
            const DWORD error = ::GetLastError();
            m_pipeClosed = error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE;
            return false;
        }
        data += put;
        size -= put;
    }
    return true;
}

bool CRawFile::Rewind() {
    if (::GetFileType(AsHandle(m_handle)) != FILE_TYPE_DISK) return false;
    LARGE_INTEGER start{};
    return ::SetFilePointerEx(AsHandle(m_handle), start, nullptr, FILE_BEGIN) != 0;
}

std::int64_t CRawFile::Size() const {
    if (::GetFileType(AsHandle(m_handle)) != FILE_TYPE_DISK) return -1;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(AsHandle(m_handle), &size)) return -1;
    return size.QuadPart;
}

bool CRawFile::Close() {
    if (m_handle == kInvalid) return true;
    const bool synced = !m_durable || ::FlushFileBuffers(AsHandle(m_handle)) != 0;
    const bool ok = m_standard ? ::FlushFileBuffers(AsHandle(m_handle)) != 0 ||
                                     ::GetFileType(AsHandle(m_handle)) != FILE_TYPE_DISK
                               : ::CloseHandle(AsHandle(m_handle)) != 0 && synced;
    m_handle = kInvalid;
    m_standard = false;
    m_durable = false;
    return ok;
}

}  // namespace platform
