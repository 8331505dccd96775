// FileFind.hpp: the file look-up of the window (Windows only), with UTF-8 names.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Win32 attribute bits the program looks at.
constexpr std::uint32_t kAttributeReadOnly = 0x1;
constexpr std::uint32_t kAttributeHidden = 0x2;
constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kAttributeNormal = 0x80;

struct FileEntry {
    std::string name;  // as stored on disk
    std::uint32_t attributes = 0;

    bool IsDirectory() const { return (attributes & kAttributeDirectory) != 0; }
};

// Looks up a path whose last level may hold * and ?; the first match counts. A text ending in "\" and a drive
// root find nothing; a bare drive name such as D: stands for that drive's current directory. On a match,
// fullPath (when given) is the searched text made absolute against the current directory, with its last level
// replaced by the name as stored on disk: with C:\src current, "sub\*.TXT" may give C:\src\sub\a.txt.
bool FindFile(const std::string& path, FileEntry& entry, std::string* fullPath = nullptr);

}  // namespace platform
