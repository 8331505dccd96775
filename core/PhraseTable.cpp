// PhraseTable.cpp: the dictionaries of the phrase file, their indexes, and the file's loading.
#include "PhraseTable.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "CharStarts.hpp"
#include "Once.hpp"
#include "PhraseIndex.hpp"
#include "platform/TextFile.hpp"

const char kPhraseBanner[] =
    "Zendrix phrase table 2.0 (GBK): named sections, each a header line NAME COUNT, then its entries";
const char kPhraseFileName[] = "Runewords.txt";

namespace dictionary {
const char kNormalization[] = "CJK_Compatibility_Ideographs";
const char kSimplifiedPhrases[] = "STPhrases";
const char kSimplifiedCharacters[] = "STCharacters";
const char kTraditionalPhrases[] = "TSPhrases";
const char kTraditionalCharacters[] = "TSCharacters";
}  // namespace dictionary

// The entries, and their indexes made on first use: a conversion needs only a few of them, and the program's
// start should not wait for the rest.
struct PhraseTables::Indexes {
    std::vector<PhraseDictionary> dictionaries;  // of equal names the first counts
    std::vector<CandidateEntry> forms[2];
    std::vector<std::uint16_t> normalized;  // per GBK code: the code it is written as, or 0
    unsigned char normalizedFrom = 0xFF;    // the lowest lead byte of a code written otherwise

    COnce wordsMade[2];
    std::vector<PhraseEntry> words[2];
    COnce wordsIndexed[2];
    PhraseDirectionIndex wordsIndex[2];
    std::unique_ptr<COnce[]> indexed;  // per dictionary
    std::vector<PhraseDirectionIndex> named;
};

namespace {

int Slot(Direction direction) { return direction == Direction::ToTraditional ? 0 : 1; }

const std::vector<PhraseEntry>* Find(const std::vector<PhraseDictionary>& dictionaries, const char* name) {
    for (const PhraseDictionary& d : dictionaries) {
        if (d.name == name) return &d.entries;
    }
    return nullptr;
}

// The phrases, then the characters: a character's entry counts only where no phrase has its key, as in
// OpenCC's group of the two, where the phrases are asked first.
std::vector<const std::vector<PhraseEntry>*> WordLists(const std::vector<PhraseDictionary>& dictionaries,
                                                       Direction direction) {
    const bool toTraditional = direction == Direction::ToTraditional;
    std::vector<const std::vector<PhraseEntry>*> lists;
    for (const char* name :
         {toTraditional ? dictionary::kSimplifiedPhrases : dictionary::kTraditionalPhrases,
          toTraditional ? dictionary::kSimplifiedCharacters : dictionary::kTraditionalCharacters}) {
        if (const std::vector<PhraseEntry>* entries = Find(dictionaries, name)) lists.push_back(entries);
    }
    return lists;
}

}  // namespace

PhraseTables::PhraseTables() : PhraseTables(std::vector<PhraseDictionary>{}) {}

PhraseTables::PhraseTables(std::vector<PhraseEntry> toTraditional, std::vector<PhraseEntry> toSimplified,
                           std::vector<CandidateEntry> traditionalForms,
                           std::vector<CandidateEntry> simplifiedForms)
    : PhraseTables(std::vector<PhraseDictionary>{{dictionary::kSimplifiedPhrases, std::move(toTraditional)},
                                                 {dictionary::kTraditionalPhrases, std::move(toSimplified)}},
                   std::move(traditionalForms), std::move(simplifiedForms)) {}

PhraseTables::PhraseTables(std::vector<PhraseDictionary> dictionaries,
                           std::vector<CandidateEntry> traditionalForms,
                           std::vector<CandidateEntry> simplifiedForms) {
    auto indexes = std::make_shared<Indexes>();
    for (std::size_t k = 0; k < dictionaries.size(); ++k) m_byName.emplace(dictionaries[k].name, k);
    // Only whole two-byte characters that become one are written in another form: the text keeps its
    // layout, so the normalization is a look-up per character.
    if (const std::vector<PhraseEntry>* entries = Find(dictionaries, dictionary::kNormalization)) {
        for (const PhraseEntry& e : *entries) {
            if (e.phrase.size() != 2 || e.counterpart.size() != 2 || !gbk::IsLeadByte(e.phrase[0]) ||
                !gbk::IsLeadByte(e.counterpart[0])) {
                continue;
            }
            if (indexes->normalized.empty()) indexes->normalized.assign(0x10000, 0);
            const auto code = [](const std::string& c) {
                return static_cast<std::uint16_t>(static_cast<unsigned char>(c[0]) << 8 |
                                                  static_cast<unsigned char>(c[1]));
            };
            indexes->normalizedFrom =
                std::min(indexes->normalizedFrom, static_cast<unsigned char>(e.phrase[0]));
            std::uint16_t& slot = indexes->normalized[code(e.phrase)];
            if (slot == 0) slot = code(e.counterpart);
        }
    }
    indexes->indexed.reset(new COnce[dictionaries.size()]);
    indexes->named.resize(dictionaries.size());
    indexes->dictionaries = std::move(dictionaries);
    indexes->forms[0] = std::move(traditionalForms);
    indexes->forms[1] = std::move(simplifiedForms);
    m_indexes = std::move(indexes);
}

const std::vector<PhraseEntry>& PhraseTables::Phrases(Direction direction) const {
    const int k = Slot(direction);
    Indexes& indexes = *m_indexes;
    indexes.wordsMade[k].Run([&] {
        std::vector<PhraseEntry> words;
        for (const std::vector<PhraseEntry>* list : WordLists(indexes.dictionaries, direction))
            words.insert(words.end(), list->begin(), list->end());
        indexes.words[k] = std::move(words);
    });
    return indexes.words[k];
}

const PhraseDirectionIndex& PhraseTables::Index(Direction direction) const {
    const int k = Slot(direction);
    Indexes& indexes = *m_indexes;
    indexes.wordsIndexed[k].Run([&] {
        indexes.wordsIndex[k] =
            PhraseDirectionIndex::Build(WordLists(indexes.dictionaries, direction), indexes.forms[k]);
    });
    return indexes.wordsIndex[k];
}

const std::vector<CandidateEntry>& PhraseTables::Candidates(Direction direction) const {
    return m_indexes->forms[Slot(direction)];
}

const PhraseDirectionIndex* PhraseTables::Dictionary(const std::string& name) const {
    const auto found = m_byName.find(name);
    if (found == m_byName.end()) return nullptr;
    Indexes& indexes = *m_indexes;
    const std::size_t k = found->second;
    indexes.indexed[k].Run(
        [&] { indexes.named[k] = PhraseDirectionIndex::Build(indexes.dictionaries[k].entries, {}); });
    return &indexes.named[k];
}

void PhraseTables::Normalize(char* gbkText, std::size_t size) const {
    const std::vector<std::uint16_t>& normalized = m_indexes->normalized;
    if (normalized.empty()) return;
    // Every compatibility ideograph GBK holds has the lead byte FD or FE: 64 bytes at a time, only the
    // characters that begin with such a byte are looked up. The windows follow each other 64 bytes apart
    // whatever their characters, one that begins with the trail byte of a character before it told so by a
    // bit: the next window's masks need not wait for where this one's characters begin.
    auto* p = reinterpret_cast<unsigned char*>(gbkText);
    const std::size_t n = size;
    const unsigned char from = m_indexes->normalizedFrom;
    const auto normalize = [&](unsigned char* pair) {
        if (const std::uint16_t to = normalized[pair[0] << 8 | pair[1]]) {
            pair[0] = static_cast<unsigned char>(to >> 8);
            pair[1] = static_cast<unsigned char>(to);
        }
    };
    std::size_t i = 0;
    std::uint64_t trail = 0;  // the window begins with the trail byte of a character before it
    for (; i + 65 <= n; i += 64) {
        const std::uint64_t lead = gbk::LeadMask(p + i);
        const std::uint64_t starts = trail != 0 ? gbk::PairStarts(lead >> 1) << 1 : gbk::PairStarts(lead);
        for (std::uint64_t bits = starts & gbk::RangeMask(p + i, from, 0xFE); bits != 0; bits &= bits - 1)
            normalize(p + i + static_cast<unsigned>(__builtin_ctzll(bits)));
        trail = starts >> 63;
    }
    for (i += trail; i < n;) {
        if (!gbk::IsLeadByte(p[i]) || i + 1 == n) {
            ++i;
            continue;
        }
        normalize(p + i);
        i += 2;
    }
}

namespace {

// The shortest entry line: two characters around a TAB, and LF.
constexpr std::size_t kShortestEntry = 6;
// The index keeps its offsets and entry numbers in 32 bits (signed for entries), and none of them exceeds the
// bytes of the lists: a file shorter than this keeps every one in range, on 32-bit systems as on 64-bit.
constexpr std::int64_t kLongestFile = INT32_MAX;
// Room made ahead for a section's entries: a count is only a claim (a sparse file of gigabytes holds any
// count it likes), so the lists grow with the entries really read, from this much at most.
constexpr std::size_t kReservedEntries = 65536;

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Two-byte GBK characters only, at least one: the form every key and value of the file takes.
bool IsGbkPairs(const char* data, std::size_t size) {
    if (size == 0 || size % 2 != 0) return false;
    for (std::size_t k = 0; k < size; k += 2) {
        if (!gbk::IsLeadByte(static_cast<unsigned char>(data[k])) ||
            !IsTrailByte(static_cast<unsigned char>(data[k + 1]))) {
            return false;
        }
    }
    return true;
}

// Two-byte GBK characters with printable ASCII other than the space among them, at least one of two bytes:
// the form of a dictionary's keys and values (U盤, PN結, 伯克希爾-哈撒韋).
bool IsEntryText(const char* data, std::size_t size) {
    bool pairs = false;
    for (std::size_t k = 0; k < size;) {
        const auto b = static_cast<unsigned char>(data[k]);
        if (b > ' ' && b < 0x7F) {
            ++k;
            continue;
        }
        if (!gbk::IsLeadByte(b) || k + 1 == size || !IsTrailByte(static_cast<unsigned char>(data[k + 1])))
            return false;
        pairs = true;
        k += 2;
    }
    return pairs;
}

// One line KEY TAB VALUE, both of the form valid(data, size) asks.
template <class Valid>
bool SplitEntry(const std::string& line, std::string& key, std::string& value, Valid&& valid) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || !valid(line.data(), tab) ||
        !valid(line.data() + tab + 1, line.size() - tab - 1)) {
        return false;
    }
    key.assign(line, 0, tab);
    value.assign(line, tab + 1, std::string::npos);
    return true;
}

bool IsNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

class CPhraseFileReader {
  public:
    // A pipe has no length to go by: it is taken as long as a file may be, and read no further.
    explicit CPhraseFileReader(platform::CTextReader& file)
        : m_file(file), m_length(file.CanRewind() ? file.Length() : kLongestFile) {}

    bool Next() {
        if (!m_file.ReadLine(m_line)) return false;
        m_read += static_cast<std::int64_t>(m_line.size()) + 1;
        return m_read <= m_length;
    }
    bool AtEnd() { return !Next(); }
    const std::string& Line() const { return m_line; }

    // The line read last as "dictionary NAME COUNT": its name and count.
    bool DictionaryHeader(std::string& name, std::size_t& count) const {
        static const std::string kWord = "dictionary ";
        if (m_line.compare(0, kWord.size(), kWord) != 0) return false;
        const std::size_t space = m_line.find(' ', kWord.size());
        if (space == std::string::npos || space == kWord.size()) return false;
        name = m_line.substr(kWord.size(), space - kWord.size());
        if (!std::all_of(name.begin(), name.end(), IsNameCharacter)) return false;
        return Count(space + 1, count);
    }

    // The line read last as "NAME COUNT" for a fixed name.
    bool Header(const char* name, std::size_t& count) const {
        const std::size_t nameSize = std::strlen(name);
        return m_line.size() > nameSize + 1 && m_line.compare(0, nameSize, name) == 0 &&
               m_line[nameSize] == ' ' && Count(nameSize + 1, count);
    }

    bool ReadPhrases(std::size_t count, std::vector<PhraseEntry>& entries) {
        m_previousKey.clear();
        entries.clear();
        entries.reserve(std::min(count, kReservedEntries));
        for (std::size_t k = 0; k < count; ++k) {
            PhraseEntry entry;
            if (!ReadEntry(entry.phrase, entry.counterpart, IsEntryText)) return false;
            entries.push_back(std::move(entry));
        }
        return true;
    }

    bool ReadCandidates(std::size_t count, std::vector<CandidateEntry>& entries) {
        m_previousKey.clear();
        entries.clear();
        entries.reserve(std::min(count, kReservedEntries));
        std::string forms;
        for (std::size_t k = 0; k < count; ++k) {
            CandidateEntry entry;
            if (!ReadEntry(entry.character, forms, IsGbkPairs) || entry.character.size() != 2 ||
                forms.size() < 4)
                return false;
            for (std::size_t f = 0; f < forms.size(); f += 2) {
                std::string form = forms.substr(f, 2);
                if (std::find(entry.forms.begin(), entry.forms.end(), form) != entry.forms.end())
                    return false;
                entry.forms.push_back(std::move(form));
            }
            entries.push_back(std::move(entry));
        }
        return true;
    }

  private:
    // The count in plain decimal from `at` to the end, no more entries than the file has room for.
    bool Count(std::size_t at, std::size_t& count) const {
        const std::size_t limit = static_cast<std::size_t>(m_length) / kShortestEntry;
        if (at >= m_line.size() || (m_line[at] == '0' && m_line.size() != at + 1)) return false;
        count = 0;
        for (std::size_t k = at; k < m_line.size(); ++k) {
            if (m_line[k] < '0' || m_line[k] > '9' || count > limit) return false;
            count = count * 10 + static_cast<std::size_t>(m_line[k] - '0');
        }
        return count <= limit;
    }

    // The next entry, whose key must come after the previous one's in byte order.
    template <class Valid>
    bool ReadEntry(std::string& key, std::string& value, Valid&& valid) {
        if (!Next() || !SplitEntry(m_line, key, value, valid) || key <= m_previousKey) return false;
        m_previousKey = key;
        return true;
    }

    platform::CTextReader& m_file;
    const std::int64_t m_length;
    std::int64_t m_read = 0;  // bytes of the lines read, a terminator each
    std::string m_line;
    std::string m_previousKey;
};

PhraseLoadResult LoadPhrasesFrom(PhraseTables& phrases, const std::string& path) {
    phrases = PhraseTables();
    platform::CTextReader file;
    if (!file.Open(path)) return PhraseLoadResult::NotOpenable;
    if (file.Length() > kLongestFile) return PhraseLoadResult::Damaged;

    CPhraseFileReader reader(file);
    std::vector<PhraseDictionary> dictionaries;
    std::vector<CandidateEntry> traditionalForms;
    std::vector<CandidateEntry> simplifiedForms;
    bool wellFormed = reader.Next() && reader.Line() == kPhraseBanner;
    // The dictionaries, up to the line that is no dictionary's header: the first candidates' header.
    while (wellFormed && reader.Next()) {
        PhraseDictionary dictionary;
        std::size_t count;
        if (!reader.DictionaryHeader(dictionary.name, count)) break;
        wellFormed = std::none_of(dictionaries.begin(), dictionaries.end(),
                                  [&](const PhraseDictionary& d) { return d.name == dictionary.name; }) &&
                     reader.ReadPhrases(count, dictionary.entries);
        dictionaries.push_back(std::move(dictionary));
    }
    // The line that ended the dictionaries is the first candidates' header.
    std::size_t traditionalCount = 0;
    std::size_t simplifiedCount = 0;
    wellFormed = wellFormed && reader.Header("candidates s2t", traditionalCount) &&
                 reader.ReadCandidates(traditionalCount, traditionalForms) && reader.Next() &&
                 reader.Header("candidates t2s", simplifiedCount) &&
                 reader.ReadCandidates(simplifiedCount, simplifiedForms) && reader.AtEnd();
    // A read error can look like a short file: it is reported as such, not as damage.
    if (file.Failed()) return PhraseLoadResult::NotOpenable;
    if (!wellFormed) return PhraseLoadResult::Damaged;
    phrases = PhraseTables(std::move(dictionaries), std::move(traditionalForms), std::move(simplifiedForms));
    return PhraseLoadResult::Loaded;
}

}  // namespace

PhraseLoadResult LoadPhrases(PhraseTables& phrases, const std::string& path) {
    // A file too large for memory is as unusable as one that cannot be read: a failure, never an abort.
    try {
        return LoadPhrasesFrom(phrases, path);
    } catch (const std::bad_alloc&) {
        phrases = PhraseTables();
        return PhraseLoadResult::NotOpenable;
    }
}
