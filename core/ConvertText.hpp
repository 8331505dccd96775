// ConvertText.hpp: the one routine that converts GBK text between the two scripts.
#pragma once

#include <cstddef>
#include <string>

#include "CharTables.hpp"

struct DirectionIndex;

// Converts text in place, Simplified to Traditional or the reverse.
// Each character's first occurrence in the search table gives its counterpart at the same offset of the other
// table, and every occurrence in the whole text is replaced at once; a character produced that way is looked
// up again when the scan reaches it. With simplified "AB" and traditional "BC", "AB" becomes "CC".
// Linear in the text, through the tables' index.
void ConvertText(std::string& text, Direction direction, const CharTables& tables);

// Converts a run of whole lines in place, every line exactly as ConvertText converts it alone. Each line of
// the run ends with LF, a CR right before the LF being part of its terminator, except the last line of the
// input, which may end without one. Returns false, having changed nothing, for tables whose conversion could
// reach across a line end (see DirectionIndex::wholeLines); those lines go through ConvertText one by one.
// The answer depends on the tables and the direction only.
bool ConvertLineRun(char* run, std::size_t size, Direction direction, const CharTables& tables);

// Maps every character of p[0, n) through a direct index (ConversionIndex.hpp), one look-up each, 64 bytes at
// a time. A lone lead byte at the end is left as it is: then true.
bool MapDirect(char* p, std::size_t n, const DirectionIndex& index);
