// FileFind.cpp: FindFirstFileW and friends behind UTF-8 names.
#include "FileFind.hpp"

#include <windows.h>

#include "CodePage.hpp"

namespace platform {

namespace {

bool IsBareDriveName(const std::wstring& path) {
    return path.size() == 2 && path[1] == L':' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

FileEntry EntryFrom(const WIN32_FIND_DATAW& data) {
    FileEntry entry;
    entry.name = Utf8FromWide(data.cFileName);
    entry.attributes = data.dwFileAttributes;
    return entry;
}

}  // namespace

bool FindFile(const std::string& path, FileEntry& entry, std::string* fullPath) {
    std::wstring searched = WideFromUtf8(path);
    if (IsBareDriveName(searched)) {
        // Windows resolves D: to the drive's current directory; Wine answers with that directory plus a final
        // "\", which finds nothing. Search the directory itself, so both agree; a root still finds nothing.
        searched = FullPathOf(searched);
        if (searched.size() > 3 && searched.back() == L'\\') searched.pop_back();
        if (searched.size() <= 3) return false;
    }
    // Windows finds nothing for a text ending in a separator; say so here rather than rely on every version.
    if (searched.empty() || searched.back() == L'\\' || searched.back() == L'/') return false;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(LongPathForm(searched).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    ::FindClose(find);
    entry = EntryFrom(data);
    if (fullPath) {
        std::wstring full = WithoutLongPrefix(FullPathOf(searched));
        const std::size_t slash = full.rfind(L'\\');
        full = (slash == std::wstring::npos ? std::wstring() : full.substr(0, slash + 1)) + data.cFileName;
        *fullPath = Utf8FromWide(full);
    }
    return true;
}

}  // namespace platform
