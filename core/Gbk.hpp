// Gbk.hpp: character-wise operations on GBK text held as bytes.
#pragma once

#include <cstddef>
#include <string>

namespace gbk {

// A lead byte forms one character with the byte after it; every other byte is a character by itself.
inline bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Width of the character starting at pos: 2 for a lead byte (even when the text ends right after it), else 1.
inline std::size_t CharWidth(const std::string& text, std::size_t pos) {
    return IsLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
}

// Offset of the first occurrence of needle that starts and ends on character boundaries of text, searching
// from the boundary `from`, or npos. Find("乗a", "\\") is npos: the 0x5C inside 乗 is a trail byte, not a
// backslash.
std::size_t Find(const std::string& text, const std::string& needle, std::size_t from = 0);

// Replaces every occurrence of `from` (at character boundaries, left to right, no overlap) by `to`, all at
// once. Returns the number of replacements. ReplaceAll("AB AB", "AB", "C") gives "C C" and 2.
std::size_t ReplaceAll(std::string& text, const std::string& from, const std::string& to);

}  // namespace gbk
