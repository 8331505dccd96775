// EnsureDirectory.cpp: directory creation level by level.
#include "EnsureDirectory.hpp"

#include "core/Gbk.hpp"
#include "platform/FileFind.hpp"
#include "platform/FileSystem.hpp"

namespace {

bool IsExistingDirectory(const std::string& path) {
    platform::FileEntry entry;
    return platform::FindFile(path, entry) && entry.IsDirectory();
}

}  // namespace

std::vector<std::string> DirectoryPrefixes(const std::string& path) {
    std::vector<std::string> prefixes;
    std::string prefix;
    for (std::size_t pos = 0; pos < path.size();) {
        const std::size_t width = gbk::CharWidth(path, pos);
        if (width == 1 && path[pos] == '\\') {
            prefixes.push_back(prefix);
            prefix += '\\';
        } else {
            prefix.append(path, pos, width);
        }
        pos += width;
    }
    if (!path.empty()) prefixes.push_back(prefix);
    return prefixes;
}

bool EnsureDirectory(const std::string& path) {
    if (IsExistingDirectory(path)) return true;
    for (const std::string& prefix : DirectoryPrefixes(path)) {
        // Failures are expected here: levels that exist, a drive name such as C:, an empty prefix.
        if (platform::MakeDirectory(prefix)) platform::SetAttributes(prefix, platform::kAttributeNormal);
    }
    return IsExistingDirectory(path);
}
