// FileFind.hpp: the file look-up and directory enumeration of the window (Windows only), with UTF-8 names.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Win32 attribute bits the program looks at.
constexpr std::uint32_t kAttributeReadOnly = 0x1;
constexpr std::uint32_t kAttributeHidden = 0x2;
constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kAttributeNormal = 0x80;
constexpr std::uint32_t kAttributeReparsePoint = 0x400;

struct FileEntry {
    std::string name;  // as stored on disk
    std::uint32_t attributes = 0;

    bool IsDirectory() const { return (attributes & kAttributeDirectory) != 0; }
    // A junction or a symbolic link: following one can lead back up the tree.
    bool IsReparsePoint() const { return (attributes & kAttributeReparsePoint) != 0; }
    bool IsDots() const { return name == "." || name == ".."; }
};

// Looks up a path whose last level may hold * and ?; the first match counts. A text ending in "\" and a drive
// root find nothing; a bare drive name such as D: stands for that drive's current directory. On a match,
// fullPath (when given) is the searched text made absolute against the current directory, with its last level
// replaced by the name as stored on disk: with C:\src current, "sub\*.TXT" may give C:\src\sub\a.txt.
bool FindFile(const std::string& path, FileEntry& entry, std::string* fullPath = nullptr);

// Walks the entries matching a pattern such as C:\src\*.* in the order the file system returns them ("." and
// ".." included). Closed on destruction.
class CDirectoryEnumeration {
  public:
    CDirectoryEnumeration() = default;
    ~CDirectoryEnumeration() { Close(); }
    CDirectoryEnumeration(const CDirectoryEnumeration&) = delete;
    CDirectoryEnumeration& operator=(const CDirectoryEnumeration&) = delete;

    bool Open(const std::string& pattern);  // false when nothing matches
    bool Next(FileEntry& entry);            // false after the last entry
    void Close();

  private:
    void* m_handle = nullptr;  // a find handle; null when closed
    FileEntry m_first;         // the entry Open found, handed out by the first Next
    bool m_hasFirst = false;
};

}  // namespace platform
