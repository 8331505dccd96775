// EnsureDirectory.cpp: directory creation level by level.
#include "EnsureDirectory.hpp"

#include "platform/FileFind.hpp"
#include "platform/FileSystem.hpp"

namespace {

bool IsExistingDirectory(const std::string& path) {
    platform::FileEntry entry;
    return platform::FindFile(path, entry) && entry.IsDirectory();
}

}  // namespace

bool EnsureDirectory(const std::string& path) {
    if (IsExistingDirectory(path)) return true;
    // One level at a time: a long path of backslashes must not hold all its levels at once.
    for (const std::size_t length : DirectoryPrefixLengths(path)) {
        const std::string prefix = path.substr(0, length);
        // Failures are expected here: levels that exist, a drive name such as C:, an empty prefix.
        if (platform::MakeDirectory(prefix)) platform::SetAttributes(prefix, platform::kAttributeNormal);
    }
    return IsExistingDirectory(path);
}
