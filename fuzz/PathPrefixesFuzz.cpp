// PathPrefixesFuzz.cpp: DirectoryPrefixes on any path splits exactly at the backslashes that are characters,
// never at the trail byte of a two-byte character, and every level is the path up to such a backslash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/PathPrefixes.hpp"

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "DirectoryPrefixes: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> prefixes = DirectoryPrefixes(path);

    // Where the characters that are backslashes begin, walking the path a character at a time.
    std::vector<std::size_t> splits;
    for (std::size_t i = 0; i < size;) {
        if (data[i] == '\\') splits.push_back(i);
        i += data[i] >= 0x81 && data[i] <= 0xFE ? 2 : 1;
    }

    if (path.empty()) {
        if (!prefixes.empty()) Fail("levels of an empty path");
        return 0;
    }
    if (prefixes.size() != splits.size() + 1) Fail("one level per backslash character, plus the whole path");
    for (std::size_t k = 0; k < splits.size(); ++k) {
        if (prefixes[k].size() != splits[k] || path.compare(0, splits[k], prefixes[k]) != 0) {
            Fail("a level is not the path up to a backslash character");
        }
    }
    if (prefixes.back() != path) Fail("the last level is not the whole path");
    return 0;
}
