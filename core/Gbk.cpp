// Gbk.cpp: character-wise operations on GBK text held as bytes.
#include "Gbk.hpp"

namespace gbk {

namespace {

// Whether needle's bytes sit at pos and end on a character boundary of text. Needles are whole characters, so
// a needle that ends in a lone lead byte never matches the first half of a two-byte character.
bool MatchesAt(const std::string& text, std::size_t pos, const std::string& needle) {
    const std::size_t stop = pos + needle.size();
    if (stop > text.size() || text.compare(pos, needle.size(), needle) != 0) return false;
    std::size_t end = pos;
    while (end < stop) end += CharWidth(text, end);
    // A lone lead byte at the very end of the text is a whole character.
    return end == stop || stop == text.size();
}

}  // namespace

std::size_t Find(const std::string& text, const std::string& needle, std::size_t from) {
    if (needle.empty()) return std::string::npos;
    for (std::size_t pos = from; pos < text.size(); pos += CharWidth(text, pos)) {
        if (MatchesAt(text, pos, needle)) return pos;
    }
    return std::string::npos;
}

std::size_t ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    std::size_t pos = Find(text, from);
    if (pos == std::string::npos) return 0;
    std::string result;
    result.reserve(text.size());
    std::size_t copied = 0;
    std::size_t count = 0;
    while (pos != std::string::npos) {
        result.append(text, copied, pos - copied);
        result += to;
        copied = pos + from.size();
        ++count;
        pos = Find(text, from, copied);
    }
    result.append(text, copied, std::string::npos);
    text.swap(result);
    return count;
}

}  // namespace gbk
