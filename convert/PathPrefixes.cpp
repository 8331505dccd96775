// PathPrefixes.cpp: splitting a path into the levels of directory creation.
#include "PathPrefixes.hpp"

#include <algorithm>

#include "core/Gbk.hpp"

std::vector<std::size_t> DirectoryPrefixLengths(const std::string& path) {
    std::vector<std::size_t> lengths;
    for (std::size_t pos = 0; pos < path.size(); pos += gbk::CharWidth(path, pos)) {
        if (path[pos] == '\\' && gbk::CharWidth(path, pos) == 1) lengths.push_back(pos);
    }
    if (!path.empty()) lengths.push_back(path.size());
    return lengths;
}

std::vector<std::string> DirectoryPrefixes(const std::string& path) {
    const std::vector<std::size_t> lengths = DirectoryPrefixLengths(path);
    std::vector<std::string> prefixes(lengths.size());
    std::transform(lengths.begin(), lengths.end(), prefixes.begin(),
                   [&](std::size_t length) { return path.substr(0, length); });
    return prefixes;
}
