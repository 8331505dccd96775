// CharTables.hpp: the two parallel character tables and their loading from the table file.
#pragma once

#include <memory>
#include <string>

#include "Direction.hpp"

struct ConversionIndex;
struct DirectionIndex;

// Line 1 of the table file holds Simplified characters, line 3 their Traditional counterparts. The pairing is
// by byte offset: the character of the Simplified line at offset k corresponds to the bytes of the
// Traditional line at k. The tables are fixed once made, and made with the index that makes ConvertText fast
// (about a megabyte, a few milliseconds), so an index can never describe other tables than its own.
class CharTables {
  public:
    CharTables();  // both lines empty: nothing converts
    CharTables(std::string simplified, std::string traditional);

    const std::string& Simplified() const { return m_simplified; }
    const std::string& Traditional() const { return m_traditional; }
    // The line a direction searches and the line it takes its counterparts from.
    const std::string& Search(Direction direction) const;
    const std::string& Result(Direction direction) const;

    const ConversionIndex& Index() const { return *m_index; }
    const DirectionIndex& Index(Direction direction) const;

  private:
    std::string m_simplified;
    std::string m_traditional;
    std::shared_ptr<const ConversionIndex> m_index;
};

enum class LoadResult { Loaded, NotOpenable, BannerMismatch };

// Line 2 of every table file made for this program; compared byte for byte.
extern const char kTableBanner[];

// The program reads its table by this bare name, so it is found in the current directory.
extern const char kTableFileName[];

// Reads lines 1 to 4 of the table file (a missing line reads empty; line 4 is read and discarded). A file
// that opens but fails to read counts as NotOpenable. Shows nothing: the caller decides what each outcome
// means for the user. The tables are replaced only when Loaded.
LoadResult LoadTables(CharTables& tables, const std::string& path = kTableFileName);
