// DescriptionSequences.hpp: ideographic description sequences (⿰氵青), which conversion by words keeps
// whole.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "TextEncoding.hpp"

namespace text {

// Where the complete ideographic description sequences of data[0, size) in `encoding` lie, in order, as
// OpenCC reads them: an operator U+2FF0 to U+2FFF, then its operands (three for U+2FF2 and U+2FF3, one for
// U+2FFE and U+2FFF, two for the others), each one character or a sequence of its own, 16 levels and 64 code
// points at most. Such a sequence describes one character: converting by words copies it as it is, and no
// phrase reaches into it. An operand that is a line end, or a byte that does not decode, makes it none, so
// that lines still convert each on its own. Byte ranges [begin, end); none for GBK and Big5, which hold no
// operator.
std::vector<std::pair<std::size_t, std::size_t>> DescriptionSequences(TextEncoding encoding, const char* data,
                                                                      std::size_t size);

}  // namespace text
