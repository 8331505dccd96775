// PhraseTable.hpp: the dictionaries of conversion by words and of the regional conversions, the forms of
// ambiguous characters, and their loading from the phrase file.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Direction.hpp"

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

// A dictionary of the phrase file under its OpenCC name (docs/REGIONAL.md): STPhrases, TWVariants, ...
struct PhraseDictionary {
    std::string name;
    std::vector<PhraseEntry> entries;
};

// The dictionaries by name, used by the fourteen regional conversions, and the words of each direction, used
// by conversion by words: the direction's phrases (STPhrases, TSPhrases) and then the characters whose form
// the file gives apart from the character table (STCharacters, TSCharacters). Any entries may be given (bytes
// of any kind; an empty phrase never matches; of equal phrases the first counts). Fixed once made; the
// indexes that make conversion fast (a few megabytes, some milliseconds for the shipped file) are made from
// its own entries when first asked for, once, whichever thread asks.
class PhraseTables {
  public:
    PhraseTables();
    // Named dictionaries, and the candidates: Simplified characters with several Traditional forms, and the
    // reverse.
    explicit PhraseTables(std::vector<PhraseDictionary> dictionaries,
                          std::vector<CandidateEntry> traditionalForms = {},
                          std::vector<CandidateEntry> simplifiedForms = {});
    // Only the phrases of both directions (the dictionaries STPhrases and TSPhrases) and the candidates.
    PhraseTables(std::vector<PhraseEntry> toTraditional, std::vector<PhraseEntry> toSimplified,
                 std::vector<CandidateEntry> traditionalForms = {},
                 std::vector<CandidateEntry> simplifiedForms = {});

    // What conversion by words replaces in a direction, and its index (with the candidates' forms).
    const std::vector<PhraseEntry>& Phrases(Direction direction) const;
    const PhraseDirectionIndex& Index(Direction direction) const;
    // The characters of a direction's search script with several forms.
    const std::vector<CandidateEntry>& Candidates(Direction direction) const;

    // A dictionary by name, or null when the file has none of that name.
    const PhraseDirectionIndex* Dictionary(const std::string& name) const;

    // Writes the CJK compatibility ideographs of GBK text (CJK_Compatibility_Ideographs) in their unified
    // forms, in place: every conversion by words starts so.
    void Normalize(char* gbkText, std::size_t size) const;

  private:
    struct Indexes;
    std::map<std::string, std::size_t> m_byName;  // position in the indexes' dictionaries
    std::shared_ptr<Indexes> m_indexes;  // shared by copies; what it makes on first use is the same for all
};

// The names the program asks for.
namespace dictionary {
extern const char kNormalization[];          // CJK_Compatibility_Ideographs
extern const char kSimplifiedPhrases[];      // STPhrases
extern const char kSimplifiedCharacters[];   // STCharacters
extern const char kTraditionalPhrases[];     // TSPhrases
extern const char kTraditionalCharacters[];  // TSCharacters
}  // namespace dictionary

enum class PhraseLoadResult { Loaded, NotOpenable, Damaged };

// Line 1 of every phrase file made for this program; compared byte for byte.
extern const char kPhraseBanner[];

// Read by its bare name, beside the table file.
extern const char kPhraseFileName[];

// Reads the whole phrase file (data/README.md gives its format) and indexes it. A file that does not open or
// fails to read, or is too large for memory, is NotOpenable; one that reads but breaks any rule of the format
// (banner, section headers and counts, an entry that is not KEY TAB VALUE of two-byte GBK characters, with
// printable ASCII but the space among them in a dictionary and none in the candidates, keys
// out of order or repeated, a dictionary name given twice, a candidate entry without one character and two
// distinct forms, anything after the last section) is Damaged. Either way the tables are left empty, and the
// caller turns conversion by words off. Shows nothing.
PhraseLoadResult LoadPhrases(PhraseTables& phrases, const std::string& path = kPhraseFileName);
