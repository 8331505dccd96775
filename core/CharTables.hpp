// CharTables.hpp: the two parallel character tables and their loading from the table file.
#pragma once

#include <string>

// Line 1 of the table file holds Simplified characters, line 3 their Traditional counterparts. The pairing is
// by byte offset: the character of `simplified` at offset k corresponds to the bytes of `traditional` at k.
struct CharTables {
    std::string simplified;
    std::string traditional;
};

enum class LoadResult { Loaded, NotOpenable, BannerMismatch };

// Line 2 of every table file made for this program; compared byte for byte.
extern const char kTableBanner[];

// The program reads its table by this bare name, so it is found in the current directory.
extern const char kTableFileName[];

// Reads lines 1 to 4 of the table file (a missing line reads empty; line 4 is read and discarded).
// Shows nothing: the caller decides what each outcome means for the user.
LoadResult LoadTables(CharTables& tables, const std::string& path = kTableFileName);
