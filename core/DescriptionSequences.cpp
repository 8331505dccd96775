// DescriptionSequences.cpp: finding ideographic description sequences.
#include "DescriptionSequences.hpp"

#include <cstring>

#include "Transcode.hpp"

namespace text {

namespace {

struct CodePoint {
    std::size_t offset;
    char32_t cp;
};

std::size_t Arity(char32_t cp) {
    if (cp < 0x2FF0 || cp > 0x2FFF) return 0;
    if (cp == 0x2FF2 || cp == 0x2FF3) return 3;
    if (cp == 0x2FFE || cp == 0x2FFF) return 1;
    return 2;
}

enum class Parse { Complete, Incomplete, Invalid };

constexpr int kDeepest = 16;
constexpr std::size_t kLongest = 64;  // code points

// One sequence or character from cps[k]; on Complete, k is past it.
Parse Consume(const std::vector<CodePoint>& cps, std::size_t& k, int depthLeft, std::size_t& count) {
    if (k >= cps.size()) return Parse::Incomplete;
    if (depthLeft == 0 || count >= kLongest) return Parse::Invalid;
    const char32_t cp = cps[k].cp;
    if (cp == kNotACharacter || cp == U'\n' || cp == U'\r') return Parse::Invalid;
    ++count;
    ++k;
    for (std::size_t operand = Arity(cp); operand > 0; --operand) {
        const Parse parse = Consume(cps, k, depthLeft - 1, count);
        if (parse != Parse::Complete) return parse;
    }
    return Parse::Complete;
}

// Whether an operator can be there at all: the UTF-8 of U+2FF0 to U+2FFF is E2 BF B0 to E2 BF BF.
bool MayHoldOperator(TextEncoding encoding, const char* data, std::size_t size) {
    if (encoding != TextEncoding::Utf8) return true;
    for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '\xE2', data + size - p)));) {
        if (data + size - p >= 3 && p[1] == '\xBF' && (p[2] & 0xF0) == 0xB0) return true;
        ++p;
    }
    return false;
}

}  // namespace

std::vector<std::pair<std::size_t, std::size_t>> DescriptionSequences(TextEncoding encoding, const char* data,
                                                                      std::size_t size) {
    std::vector<std::pair<std::size_t, std::size_t>> found;
    if (encoding == TextEncoding::Gbk || encoding == TextEncoding::Big5 ||
        !MayHoldOperator(encoding, data, size))
        return found;
    std::vector<CodePoint> cps;
    ForEachCodePoint(encoding, data, size, [&](std::size_t offset, std::size_t width, char32_t cp) {
        // The odd byte at the end of UTF-16 is no unit.
        cps.push_back({offset, UnitSize(encoding) == 2 && width == 1 ? kNotACharacter : cp});
    });
    for (std::size_t k = 0; k < cps.size();) {
        if (Arity(cps[k].cp) == 0) {
            ++k;
            continue;
        }
        std::size_t end = k;
        std::size_t count = 0;
        if (Consume(cps, end, kDeepest, count) != Parse::Complete) {
            ++k;
            continue;
        }
        found.emplace_back(cps[k].offset, end < cps.size() ? cps[end].offset : size);
        k = end;
    }
    return found;
}

}  // namespace text
