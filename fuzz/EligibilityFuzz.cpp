// EligibilityFuzz.cpp: IsConvertible on any path and filter never fails, and on UTF-8 text agrees with a
// plain reading of the rule done on whole characters.
//
// Input: one byte n, then n bytes of filter (or the default filter when n is 0), then the path.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "convert/Eligibility.hpp"
#include "core/Utf8.hpp"
#include "core/Utf8Validity.hpp"

namespace {

bool IsUtf8(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    return utf8::SkipValid(p, p + text.size()) == p + text.size();
}

using Chars = std::vector<std::string>;

// The UTF-8 characters of a text that is UTF-8.
Chars Split(const std::string& text) {
    Chars chars;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        const auto width = static_cast<std::size_t>(utf8::DecodeOne(p + i, text.size() - i, cp));
        chars.push_back(text.substr(i, width));
        i += width;
    }
    return chars;
}

// Byte offset of the first run of whole characters of text equal to needle, or -1.
long FindChars(const Chars& text, const Chars& needle) {
    const auto at = std::search(text.begin(), text.end(), needle.begin(), needle.end());
    if (needle.empty() || at == text.end()) return -1;
    long offset = 0;
    for (auto it = text.begin(); it != at; ++it) offset += static_cast<long>(it->size());
    return offset;
}

bool Expected(const std::string& path, const std::string& filter) {
    const Chars chars = Split(path);
    std::size_t nameStart = 0;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (chars[i] == "\\") nameStart = i + 1;
    }
    std::size_t dot = nameStart;
    while (dot < chars.size() && chars[dot] != ".") ++dot;
    if (dot == chars.size() || dot == 0) return true;
    Chars extension(chars.begin() + static_cast<long>(dot), chars.end());
    for (std::string& c : extension) {
        if (c.size() == 1 && c[0] >= 'A' && c[0] <= 'Z') c[0] = static_cast<char>(c[0] - 'A' + 'a');
    }
    Chars withSemicolon = extension;
    withSemicolon.push_back(";");
    const std::string binary =
        ".doc;.exe;.dll;.gif;.jpg;.jpge;.ppt;.xls;.xlc;.bmp;.ico;.cur;.swf;.mdb;.sys;.com;.mdf;.dbf;.ldf;";
    if (FindChars(Split(binary), withSemicolon) >= 0) return false;
    return FindChars(Split(filter), extension) >= 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t filterSize = std::min<std::size_t>(data[0], size - 1);
    const char* bytes = reinterpret_cast<const char*>(data) + 1;
    const std::string filter = filterSize == 0 ? std::string(kDefaultFilter) : std::string(bytes, filterSize);
    const std::string path(bytes + filterSize, size - 1 - filterSize);
    const bool convertible = IsConvertible(path, filter);
    // Names and filters are UTF-8 inside the program; other bytes must only do no harm.
    if (!IsUtf8(path) || !IsUtf8(filter)) return 0;
    if (convertible != Expected(path, filter)) {
        std::fprintf(stderr, "IsConvertible disagrees with the character-wise rule\n");
        std::abort();
    }
    return 0;
}
