// SystemWin32.cpp: zendrix-convert's system services on Windows; names cross the boundary as UTF-16.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <filesystem>
#include <system_error>

#include "System.hpp"
#include "core/CharTables.hpp"
#include "core/Gbk.hpp"
#include "platform/CodePage.hpp"

namespace cli {

namespace {

// Opens for the file's identity only: no data access, so the exclusive sharing of an open reader is no
// obstacle. Backup semantics let a directory be opened as well.
bool QueryIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = ::CreateFileW(platform::WideFromGbk(path).c_str(), 0,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = ::GetFileInformationByHandle(h, &info) != 0;
    ::CloseHandle(h);
    return ok && (info.nFileIndexHigh != 0 || info.nFileIndexLow != 0);
}

// The full, long, lowered spelling of a path, for file systems that give no file index.
std::wstring ComparableSpelling(const std::string& path) {
    const std::wstring wide = platform::WideFromGbk(path);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return wide;
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    std::wstring longName(full.size() + MAX_PATH, L'\0');
    const DWORD n = ::GetLongPathNameW(full.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
    if (n > 0 && n < longName.size()) full.assign(longName, 0, n);
    if (!full.empty()) ::CharLowerBuffW(full.data(), static_cast<DWORD>(full.size()));
    return full;
}

void WriteTo(DWORD which, const std::string& text) {
    HANDLE h = ::GetStdHandle(which);
    if (h == nullptr || h == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0;
    DWORD done = 0;
    if (::GetConsoleMode(h, &mode)) {
        // A console shows UTF-16 whatever its code page; redirected output stays GBK like every other text.
        const std::wstring wide = platform::WideFromGbk(text);
        ::WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
    } else {
        ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    }
}

}  // namespace

bool ProgramArguments(int, char**, std::vector<std::string>& args, std::string& error) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        error = "cannot read the command line";
        return false;
    }
    args.clear();
    bool ok = true;
    for (int i = 1; i < count; ++i) {
        args.push_back(platform::GbkFromWide(wide[i]));
        if (platform::WideFromGbk(args.back()) != wide[i]) {
            // The character would become '?', and a different name would be opened or created.
            error = "argument " + std::to_string(i) + " holds a character that GBK cannot represent";
            ok = false;
            break;
        }
    }
    ::LocalFree(wide);
    return ok;
}

std::string DefaultTablePath() {
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (n == 0) return kTableFileName;
        if (n < exe.size()) {
            exe.resize(n);
            break;
        }
        exe.resize(exe.size() * 2);
    }
    return platform::GbkFromWide(exe.substr(0, exe.find_last_of(L"\\/") + 1)) + kTableFileName;
}

bool PathExists(const std::string& path) {
    return ::GetFileAttributesW(platform::WideFromGbk(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(platform::WideFromGbk(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (!PathExists(a) || !PathExists(b)) return false;
    BY_HANDLE_FILE_INFORMATION ia{};
    BY_HANDLE_FILE_INFORMATION ib{};
    if (QueryIdentity(a, ia) && QueryIdentity(b, ib)) {
        return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
               ia.nFileIndexLow == ib.nFileIndexLow;
    }
    return ComparableSpelling(a) == ComparableSpelling(b);
}

bool CreateNewFile(const std::string& path) {
    HANDLE h = ::CreateFileW(platform::WideFromGbk(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    return ::CloseHandle(h) != 0;
}

bool RemoveFile(const std::string& path) { return ::DeleteFileW(platform::WideFromGbk(path).c_str()) != 0; }

MoveResult MoveIntoPlace(const std::string& from, const std::string& to, bool replace) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (::MoveFileExW(platform::WideFromGbk(from).c_str(), platform::WideFromGbk(to).c_str(), flags)) {
        return MoveResult::Moved;
    }
    const DWORD error = ::GetLastError();
    if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS))
        return MoveResult::TargetExists;
    return MoveResult::Failed;
}

unsigned long ProcessId() { return static_cast<unsigned long>(::GetCurrentProcessId()); }

namespace {

EntryKind KindOf(const WIN32_FIND_DATAW& data) {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return EntryKind::File;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? EntryKind::FolderLink
                                                                       : EntryKind::Folder;
}

}  // namespace

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(platform::WideFromGbk(JoinPath(folder, "*")).c_str(), &data);
    // A folder holds at least "." and ".."; a drive's root may hold nothing at all.
    if (find == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::string gbk = platform::GbkFromWide(name);
        entries.push_back({gbk, KindOf(data), platform::WideFromGbk(gbk) == name});
    } while (::FindNextFileW(find, &data));
    const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
    ::FindClose(find);
    return complete;
}

bool MakeFolders(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(platform::WideFromGbk(folder)), ignored);
    return IsDirectory(folder);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    // The last character, not the last byte: the trail byte of a GBK character may be 0x5C, a backslash.
    std::size_t last = std::string::npos;
    for (std::size_t pos = 0; pos < folder.size(); pos += gbk::CharWidth(folder, pos)) last = pos;
    const bool separated = last != std::string::npos && last + 1 == folder.size() &&
                           (folder[last] == '\\' || folder[last] == '/' || folder[last] == ':');
    return folder.empty() || separated ? folder + name : folder + "\\" + name;
}

bool ErrorIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void WriteOutput(const std::string& text) { WriteTo(STD_OUTPUT_HANDLE, text); }
void WriteError(const std::string& text) { WriteTo(STD_ERROR_HANDLE, text); }

}  // namespace cli
