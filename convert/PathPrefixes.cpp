// PathPrefixes.cpp: splitting a path into the levels of directory creation.
#include "PathPrefixes.hpp"

#include "core/Gbk.hpp"

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
