// LiteralConversion.hpp: the conversion rules done literally, step by step: the references that every faster
// routine of the program must match byte for byte. Slow; for tests, fuzzers and benchmarks only.
#pragma once

#include <string>

#include "core/CharTables.hpp"
#include "core/PhraseTable.hpp"

// ConvertText's rule: a table search per character and a pass over the whole text per replacement.
void ConvertTextLiteral(std::string& text, Direction direction, const CharTables& tables);

// ConvertWords' rule: at each position every phrase of the list is compared, and each uncovered stretch goes
// through ConvertTextLiteral.
void ConvertWordsLiteral(std::string& text, Direction direction, const CharTables& tables,
                         const PhraseTables& phrases);
