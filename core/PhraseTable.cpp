// PhraseTable.cpp: loading and indexing the phrase file.
#include "PhraseTable.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "PhraseIndex.hpp"
#include "platform/TextFile.hpp"

const char kPhraseBanner[] =
    "Zendrix phrase table 1.0 (GBK): four sections, each a header line with its count, then its entries";
const char kPhraseFileName[] = "Runewords.txt";

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

// One line KEY TAB VALUE, both two-byte GBK characters.
bool SplitEntry(const std::string& line, std::string& key, std::string& value) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || !IsGbkPairs(line.data(), tab) ||
        !IsGbkPairs(line.data() + tab + 1, line.size() - tab - 1)) {
        return false;
    }
    key.assign(line, 0, tab);
    value.assign(line, tab + 1, std::string::npos);
    return true;
}

class CPhraseFileReader {
  public:
    explicit CPhraseFileReader(platform::CTextReader& file) : m_file(file) {}

    // "NAME COUNT": the count in plain decimal, no more entries than the file has room for.
    bool ReadHeader(const char* name, std::size_t& count) {
        if (!m_file.ReadLine(m_line)) return false;
        const std::size_t nameSize = std::strlen(name);
        if (m_line.size() <= nameSize + 1 || m_line.compare(0, nameSize, name) != 0 ||
            m_line[nameSize] != ' ') {
            return false;
        }
        const std::size_t limit = static_cast<std::size_t>(m_file.Length()) / kShortestEntry;
        count = 0;
        for (std::size_t k = nameSize + 1; k < m_line.size(); ++k) {
            if (m_line[k] < '0' || m_line[k] > '9' || count > limit) return false;
            count = count * 10 + static_cast<std::size_t>(m_line[k] - '0');
        }
        return count <= limit && (m_line[nameSize + 1] != '0' || m_line.size() == nameSize + 2);
    }

    // The next entry, whose key must come after the previous one's in byte order.
    bool ReadEntry(std::string& key, std::string& value) {
        if (!m_file.ReadLine(m_line) || !SplitEntry(m_line, key, value) || key <= m_previousKey) return false;
        m_previousKey = key;
        return true;
    }

    bool ReadPhrases(const char* name, std::vector<PhraseEntry>& entries) {
        std::size_t count;
        if (!ReadHeader(name, count)) return false;
        m_previousKey.clear();
        entries.clear();
        entries.reserve(std::min(count, kReservedEntries));
        for (std::size_t k = 0; k < count; ++k) {
            PhraseEntry entry;
            if (!ReadEntry(entry.phrase, entry.counterpart)) return false;
            entries.push_back(std::move(entry));
        }
        return true;
    }

    bool ReadCandidates(const char* name, std::vector<CandidateEntry>& entries) {
        std::size_t count;
        if (!ReadHeader(name, count)) return false;
        m_previousKey.clear();
        entries.clear();
        entries.reserve(std::min(count, kReservedEntries));
        std::string forms;
        for (std::size_t k = 0; k < count; ++k) {
            CandidateEntry& entry = entries.emplace_back();
            if (!ReadEntry(entry.character, forms) || entry.character.size() != 2 || forms.size() < 4)
                return false;
            for (std::size_t k = 0; k < forms.size(); k += 2) {
                std::string form = forms.substr(k, 2);
                if (std::find(entry.forms.begin(), entry.forms.end(), form) != entry.forms.end())
                    return false;
                entry.forms.push_back(std::move(form));
            }
        }
        return true;
    }

    bool AtEnd() { return !m_file.ReadLine(m_line); }

  private:
    platform::CTextReader& m_file;
    std::string m_line;
    std::string m_previousKey;
};

}  // namespace

PhraseTables::PhraseTables() : PhraseTables({}, {}) {}

PhraseTables::PhraseTables(std::vector<PhraseEntry> toTraditional, std::vector<PhraseEntry> toSimplified,
                           std::vector<CandidateEntry> traditionalForms,
                           std::vector<CandidateEntry> simplifiedForms)
    : m_toTraditional(std::move(toTraditional)),
      m_toSimplified(std::move(toSimplified)),
      m_traditionalForms(std::move(traditionalForms)),
      m_simplifiedForms(std::move(simplifiedForms)) {
    auto index = std::make_shared<PhraseIndex>();
    index->toTraditional = PhraseDirectionIndex::Build(m_toTraditional, m_traditionalForms);
    index->toSimplified = PhraseDirectionIndex::Build(m_toSimplified, m_simplifiedForms);
    m_index = std::move(index);
}

const std::vector<PhraseEntry>& PhraseTables::Phrases(Direction direction) const {
    return Of(direction, m_toTraditional, m_toSimplified);
}

const std::vector<CandidateEntry>& PhraseTables::Candidates(Direction direction) const {
    return Of(direction, m_traditionalForms, m_simplifiedForms);
}

const PhraseDirectionIndex& PhraseTables::Index(Direction direction) const {
    return Of(direction, m_index->toTraditional, m_index->toSimplified);
}

namespace {

PhraseLoadResult LoadPhrasesFrom(PhraseTables& phrases, const std::string& path) {
    platform::CTextReader file;
    if (!file.Open(path)) return PhraseLoadResult::NotOpenable;
    if (file.Length() >= kLongestFile) return PhraseLoadResult::Damaged;

    std::vector<PhraseEntry> toTraditional;
    std::vector<PhraseEntry> toSimplified;
    std::vector<CandidateEntry> traditionalForms;
    std::vector<CandidateEntry> simplifiedForms;
    CPhraseFileReader reader(file);
    std::string banner;
    const bool wellFormed = file.ReadLine(banner) && banner == kPhraseBanner &&
                            reader.ReadPhrases("s2t phrases", toTraditional) &&
                            reader.ReadPhrases("t2s phrases", toSimplified) &&
                            reader.ReadCandidates("s2t candidates", traditionalForms) &&
                            reader.ReadCandidates("t2s candidates", simplifiedForms) && reader.AtEnd();
    // A read error can look like a short file: it is reported as such, not as damage.
    if (file.Failed()) return PhraseLoadResult::NotOpenable;
    if (!wellFormed) return PhraseLoadResult::Damaged;
    phrases = PhraseTables(std::move(toTraditional), std::move(toSimplified), std::move(traditionalForms),
                           std::move(simplifiedForms));
    return PhraseLoadResult::Loaded;
}

}  // namespace

PhraseLoadResult LoadPhrases(PhraseTables& phrases, const std::string& path) {
    phrases = PhraseTables();
    // A file too large for memory (a line of gigabytes, more entries than fit) is not a usable phrase file:
    // its loading fails like any damage, and the program goes on without conversion by words.
    try {
        return LoadPhrasesFrom(phrases, path);
    } catch (const std::bad_alloc&) {
        phrases = PhraseTables();
        return PhraseLoadResult::Damaged;
    }
}
