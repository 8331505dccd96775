// ConvertWords.hpp: conversion by words: phrases first, the character table for the rest.
#pragma once

#include <cstddef>
#include <string>

#include "CharTables.hpp"
#include "PhraseTable.hpp"

// Converts GBK text in place, Simplified to Traditional or the reverse. Scanning from the left, at each
// character boundary the longest phrase of the direction's list that starts there (and ends on a boundary of
// the text) is replaced by its counterpart, and the scan goes on after it; every stretch that no phrase
// covers is converted by ConvertText as a text of its own. Counterparts are never scanned again. With 复杂 ->
// 複雜 listed, 复杂的 becomes 複雜的 where the character table alone gives 復雜的. Without phrases in that
// direction this is ConvertText. Linear in the text when the character table's direction converts a character
// at a time (the shipped tables).
void ConvertWords(std::string& text, Direction direction, const CharTables& tables,
                  const PhraseTables& phrases);

// Converts a run of whole lines into `out` (replacing its contents), with every line exactly as ConvertWords
// converts it alone; each line of the run ends with LF, a CR right before the LF being part of its
// terminator, except the last line of the input, which may end without one, and `out` keeps every terminator
// as it was. Returns false, with `out` empty, unless neither table can reach across a line end
// (ConvertLineRun's condition for the character table; PhraseDirectionIndex::WholeLines for the phrases):
// then the caller converts the lines one by one. The answer depends on the tables and the direction only.
bool ConvertWordsLineRun(const char* run, std::size_t size, Direction direction, const CharTables& tables,
                         const PhraseTables& phrases, std::string& out);
