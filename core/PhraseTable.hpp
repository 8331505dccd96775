// PhraseTable.hpp: the phrase lists of conversion by words and the forms of ambiguous characters, and their
// loading from the phrase file.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct PhraseIndex;

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

// Any phrases and forms may be filled in by hand (bytes of any kind; an empty phrase never matches; of equal
// phrases the first counts). `index` is what makes ConvertWords fast: LoadPhrases builds it; lists filled or
// changed by hand need BuildPhraseIndex afterwards (without an index that fits, the result is the same,
// slower).
struct PhraseTables {
    std::vector<PhraseEntry> toTraditional;        // Simplified phrases and their Traditional forms
    std::vector<PhraseEntry> toSimplified;         // Traditional phrases and their Simplified forms
    std::vector<CandidateEntry> traditionalForms;  // Simplified characters with several Traditional forms
    std::vector<CandidateEntry> simplifiedForms;   // Traditional characters with several Simplified forms
    std::shared_ptr<const PhraseIndex> index{};
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

// Indexes both directions of the lists as they are now (a few megabytes, some milliseconds for the shipped
// file).
void BuildPhraseIndex(PhraseTables& phrases);

// The index built for these very lists, or null.
const PhraseIndex* FittingPhraseIndex(const PhraseTables& phrases);
