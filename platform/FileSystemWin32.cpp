// FileSystemWin32.cpp: the file system on Windows, UTF-8 names through the wide API (long ones in the
// \\?\ form).
#include <windows.h>

#include <mutex>

#include "CodePage.hpp"
#include "FileSystem.hpp"

namespace platform {

namespace {

DWORD AttributesOf(const std::string& path) { return ::GetFileAttributesW(WidePath(path).c_str()); }

// Opens for the file's identity only: no data access, so the exclusive sharing of an open reader is no
// obstacle. Backup semantics let a directory be opened as well.
bool QueryIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h =
        ::CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = ::GetFileInformationByHandle(h, &info) != 0;
    ::CloseHandle(h);
    return ok && (info.nFileIndexHigh != 0 || info.nFileIndexLow != 0);
}

// The full, long, lowered spelling of a path, for file systems that give no file index.
std::wstring ComparableSpelling(const std::string& path) {
    const std::wstring wide = WidePath(path);
    std::wstring full = FullPathOf(wide);
    if (full.empty()) full = wide;
    std::wstring longName(full.size() + MAX_PATH, L'\0');
    const DWORD n = ::GetLongPathNameW(full.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
    if (n > 0 && n < longName.size()) full.assign(longName, 0, n);
    full = WithoutLongPrefix(full);
    if (!full.empty()) ::CharLowerBuffW(full.data(), static_cast<DWORD>(full.size()));
    return full;
}

EntryKind KindOf(const WIN32_FIND_DATAW& data) {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return EntryKind::File;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? EntryKind::FolderLink
                                                                       : EntryKind::Folder;
}

// The output being written, for the console's control handler, which runs on a thread of its own.
std::mutex g_unfinishedLock;
std::string g_unfinished;

BOOL WINAPI RemoveUnfinishedAndEnd(DWORD) {
    {
        const std::lock_guard<std::mutex> hold(g_unfinishedLock);
        // The temporary output is shared for deletion: removed now, or when the writer's handle closes as the
        // process ends.
        if (!g_unfinished.empty()) ::DeleteFileW(WidePath(g_unfinished).c_str());
    }
    return FALSE;  // the default handler ends the process
}

}  // namespace

void SetUnfinishedOutput(const std::string& path) {
    const std::lock_guard<std::mutex> hold(g_unfinishedLock);
    g_unfinished = path;
}

void RemoveUnfinishedOnTermination() { ::SetConsoleCtrlHandler(RemoveUnfinishedAndEnd, TRUE); }

bool PathExists(const std::string& path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsSpecialFile(const std::string& path) {
    // No data access: what answers is the object behind the name, a console, NUL or a pipe not being a disk.
    HANDLE h =
        ::CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool special = ::GetFileType(h) != FILE_TYPE_DISK;
    ::CloseHandle(h);
    return special;
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

std::string FileIdentity(const std::string& path) {
    if (!PathExists(path)) return {};
    BY_HANDLE_FILE_INFORMATION info{};
    if (QueryIdentity(path, info)) {
        return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
               std::to_string(info.nFileIndexLow);
    }
    return "name:" + Utf8FromWide(ComparableSpelling(path));
}

bool StandardOutputIs(const std::string& path) {
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    BY_HANDLE_FILE_INFORMATION outInfo{};
    if (out == nullptr || out == INVALID_HANDLE_VALUE || ::GetFileType(out) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(out, &outInfo)) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION inInfo{};
    if (path.empty()) {
        HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
        if (in == nullptr || in == INVALID_HANDLE_VALUE || ::GetFileType(in) != FILE_TYPE_DISK ||
            !::GetFileInformationByHandle(in, &inInfo)) {
            return false;
        }
    } else if (!QueryIdentity(path, inInfo)) {
        return false;
    }
    return inInfo.dwVolumeSerialNumber == outInfo.dwVolumeSerialNumber &&
           inInfo.nFileIndexHigh == outInfo.nFileIndexHigh && inInfo.nFileIndexLow == outInfo.nFileIndexLow;
}

bool MakeDirectory(const std::string& path) {
    return ::CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0;
}

bool MakeFolders(const std::string& path) {
    // The missing folders are prefixes of path, found from it up and made from the top down: their lengths
    // in a list, for a path of any depth (Windows takes 32,767 characters).
    std::vector<std::size_t> missing;
    for (std::string folder = path; !IsDirectory(folder);) {
        missing.push_back(folder.size());
        std::string parent = FolderOf(folder);
        // A drive or share root (C:, \\server\share) has no parent to make.
        if (parent.empty() || parent == folder || parent.back() == ':') break;
        folder = std::move(parent);
    }
    for (auto size = missing.rbegin(); size != missing.rend(); ++size) MakeDirectory(path.substr(0, *size));
    return IsDirectory(path);
}

bool SetAttributes(const std::string& path, std::uint32_t attributes) {
    return ::SetFileAttributesW(WidePath(path).c_str(), attributes) != 0;
}

bool RemoveFile(const std::string& path) { return ::DeleteFileW(WidePath(path).c_str()) != 0; }

MoveResult MoveIntoPlace(const std::string& from, const std::string& to, bool replace) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (::MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), flags)) return MoveResult::Moved;
    const DWORD error = ::GetLastError();
    if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS))
        return MoveResult::TargetExists;
    return MoveResult::Failed;
}

std::string CurrentDirectory() {
    DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    while (size > 0) {
        std::wstring dir(size, L'\0');
        const DWORD got = ::GetCurrentDirectoryW(size, dir.data());
        if (got < size) {
            dir.resize(got);
            return Utf8FromWide(dir);
        }
        size = got;
    }
    return {};
}

bool ChangeDirectory(const std::string& path) {
    // The current directory has the classic limit on every Windows: no long form here.
    return ::SetCurrentDirectoryW(WideFromUtf8(path).c_str()) != 0;
}

std::string ExecutablePath() {
    // GetModuleFileNameW truncates silently when the buffer is short; grow until the name fits.
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD got = ::GetModuleFileNameW(nullptr, path.data(), size);
        if (got == 0) return {};
        if (got < size) {
            path.resize(got);
            return Utf8FromWide(WithoutLongPrefix(path));
        }
        if (size >= 32768) return {};
    }
}

unsigned long ProcessId() { return static_cast<unsigned long>(::GetCurrentProcessId()); }

std::string JoinPath(const std::string& folder, const std::string& name) {
    const bool separated =
        !folder.empty() && (folder.back() == '\\' || folder.back() == '/' || folder.back() == ':');
    return folder.empty() || separated ? folder + name : folder + "\\" + name;
}

bool NameFits(const std::string& name) { return WideFromUtf8(name).size() <= 255; }

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return {};
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(WidePath(JoinPath(folder, "*")).c_str(), &data);
    // A folder holds at least "." and ".."; a drive's root may hold nothing at all.
    if (find == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") entries.push_back({Utf8FromWide(name), KindOf(data)});
    } while (::FindNextFileW(find, &data));
    const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
    ::FindClose(find);
    return complete;
}

}  // namespace platform
