// CharTables.hpp: the two parallel character tables and their loading from the table file.
#pragma once

#include <memory>
#include <string>

struct ConversionIndex;

// Line 1 of the table file holds Simplified characters, line 3 their Traditional counterparts. The pairing is
// by byte offset: the character of `simplified` at offset k corresponds to the bytes of `traditional` at k.
// `index` is what makes ConvertText fast: LoadTables builds it; tables filled or changed by hand need
// BuildIndex afterwards (without an index that fits, ConvertText gives the same result, only more slowly).
// It has a default so that CharTables{simplified, traditional} still compiles without warnings.
struct CharTables {
    std::string simplified;
    std::string traditional;
    std::shared_ptr<const ConversionIndex> index{};
};

enum class LoadResult { Loaded, NotOpenable, BannerMismatch };

// Line 2 of every table file made for this program; compared byte for byte.
extern const char kTableBanner[];

// The program reads its table by this bare name, so it is found in the current directory.
extern const char kTableFileName[];

// Reads lines 1 to 4 of the table file (a missing line reads empty; line 4 is read and discarded). A file
// that opens but fails to read counts as NotOpenable. Shows nothing: the caller decides what each outcome
// means for the user.
LoadResult LoadTables(CharTables& tables, const std::string& path = kTableFileName);

// Indexes both directions of the tables as they are now (about a megabyte, a few milliseconds).
void BuildIndex(CharTables& tables);

// `tables` when their index fits; otherwise `spare`, made an indexed copy of them: for callers that convert
// many pieces of one text and should not index the tables once per piece.
const CharTables& IndexedTables(const CharTables& tables, CharTables& spare);
