// PhraseTable.hpp: the phrase lists of conversion by words and the forms of ambiguous characters, and their
// loading from the phrase file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Direction.hpp"

struct PhraseIndex;
class PhraseDirectionIndex;

// A phrase of the search script and what it becomes: 复杂 and 複雜.
struct PhraseEntry {
    std::string phrase;
    std::string counterpart;
};

// A character with several possible counterparts, and those forms: 发 and {發, 髮}.
struct CandidateEntry {
    std::string character;
    std::vector<std::string> forms;
};

// The phrases of both directions and the forms of ambiguous characters. Any phrases and forms may be given
// (bytes of any kind; an empty phrase never matches; of equal phrases the first counts). Fixed once made, and
// made with the index that makes ConvertWords fast (a few megabytes, some milliseconds for the shipped file),
// so an index can never describe other lists than its own.
class PhraseTables {
  public:
    PhraseTables();
    // Simplified phrases with their Traditional forms, the reverse, Simplified characters with several
    // Traditional forms, and the reverse.
    PhraseTables(std::vector<PhraseEntry> toTraditional, std::vector<PhraseEntry> toSimplified,
                 std::vector<CandidateEntry> traditionalForms = {},
                 std::vector<CandidateEntry> simplifiedForms = {});

    // The phrases a direction replaces, and the characters of its search script with several forms.
    const std::vector<PhraseEntry>& Phrases(Direction direction) const;
    const std::vector<CandidateEntry>& Candidates(Direction direction) const;
    const PhraseDirectionIndex& Index(Direction direction) const;

  private:
    std::vector<PhraseEntry> m_toTraditional;
    std::vector<PhraseEntry> m_toSimplified;
    std::vector<CandidateEntry> m_traditionalForms;
    std::vector<CandidateEntry> m_simplifiedForms;
    std::shared_ptr<const PhraseIndex> m_index;
};

enum class PhraseLoadResult { Loaded, NotOpenable, Damaged };

// Line 1 of every phrase file made for this program; compared byte for byte.
extern const char kPhraseBanner[];

// Read by its bare name, beside the table file.
extern const char kPhraseFileName[];

// Reads the whole phrase file (data/README.md gives its format) and indexes it. A file that does not open or
// fails to read is NotOpenable; one that reads but breaks any rule of the format (banner, section headers and
// counts, an entry that is not KEY TAB VALUE of two-byte GBK characters, keys out of order or repeated, a
// candidate entry without one character and two distinct forms, anything after the last section) is Damaged.
// Either way the tables are left empty, and the caller turns conversion by words off. Shows nothing.
PhraseLoadResult LoadPhrases(PhraseTables& phrases, const std::string& path = kPhraseFileName);
