// PathPrefixesFuzz.cpp: DirectoryPrefixLengths on any path splits exactly at its backslashes (in UTF-8 no
// byte of a longer character is one), and every level is the path up to such a backslash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/PathPrefixes.hpp"

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "DirectoryPrefixLengths: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> prefixes;
    for (const std::size_t length : DirectoryPrefixLengths(path)) prefixes.push_back(path.substr(0, length));

    std::vector<std::size_t> splits;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\\') splits.push_back(i);
    }

    if (path.empty()) {
        if (!prefixes.empty()) Fail("levels of an empty path");
        return 0;
    }
    if (prefixes.size() != splits.size() + 1) Fail("one level per backslash, plus the whole path");
    for (std::size_t k = 0; k < splits.size(); ++k) {
        if (prefixes[k].size() != splits[k] || path.compare(0, splits[k], prefixes[k]) != 0) {
            Fail("a level is not the path up to a backslash");
        }
    }
    if (prefixes.back() != path) Fail("the last level is not the whole path");
    return 0;
}
