// PathPrefixes.cpp: splitting a path into the levels of directory creation.
#include "PathPrefixes.hpp"

std::vector<std::size_t> DirectoryPrefixLengths(const std::string& path) {
    std::vector<std::size_t> lengths;
    // In UTF-8 a backslash byte is always the character: no multi-byte character holds one.
    for (std::size_t pos = path.find('\\'); pos != std::string::npos; pos = path.find('\\', pos + 1)) {
        lengths.push_back(pos);
    }
    if (!path.empty()) lengths.push_back(path.size());
    return lengths;
}
