// ChainPasses.cpp: the passes of a named conversion.
#include "ChainPasses.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ConvertText.hpp"
#include "Gbk.hpp"
#include "Parallel.hpp"
#include "PhraseIndex.hpp"
#include "PhraseScan.hpp"
#include "PhraseTable.hpp"

namespace {

// A phrase a pass writes: where it stands in the pass's text, and what it becomes.
struct Taken {
    std::size_t at;
    std::size_t length;
    const char* to;
    std::size_t size;
};

struct Scratch {
    std::string built;
    std::vector<Taken> taken;
    std::vector<Taken> segments;
    std::vector<std::size_t> cuts;
};

Scratch& ThreadScratch() {
    thread_local Scratch scratch;
    return scratch;
}

std::uint16_t Loaded(unsigned char first, unsigned char second) {
    const unsigned char bytes[2] = {first, second};
    std::uint16_t value;
    std::memcpy(&value, bytes, 2);
    return value;
}

// The dictionaries of characters at the end of a step and the table, as one direct index: the first that
// holds a character gives its form. False when some form is not one two-byte character, or a key is not.
bool Compose(const std::vector<const PhraseDirectionIndex*>& characters, const DirectionIndex* table,
             DirectionIndex& index) {
    index.direct = true;
    index.pairDelta.assign(0x10000, 0);
    for (unsigned b = 0; b < 256; ++b) index.singles[b] = static_cast<unsigned char>(b);
    if (table != nullptr) {
        if (!table->direct) return false;
        index.pairDelta = table->pairDelta;
        index.singles = table->singles;
        index.singlesChange = table->singlesChange;
    }
    bool fits = true;
    for (auto dictionary = characters.rbegin(); dictionary != characters.rend(); ++dictionary) {
        (*dictionary)->ForEachCharacter([&](CharCode code, const char* to, std::size_t size) {
            const auto lead = static_cast<unsigned char>(to[0]);
            if (code < 0x100 || size != 2 || !gbk::IsLeadByte(lead)) {
                fits = false;
                return;
            }
            const std::uint16_t key = Loaded(static_cast<unsigned char>(code >> 8), code & 0xFF);
            index.pairDelta[key] = key ^ Loaded(lead, static_cast<unsigned char>(to[1]));
        });
    }
    return fits;
}

bool MapsAny(const DirectionIndex& index) {
    return index.singlesChange || std::any_of(index.pairDelta.begin(), index.pairDelta.end(),
                                              [](std::uint16_t delta) { return delta != 0; });
}

const PhraseDirectionIndex& Dictionary(const PhraseDirectionIndex& dictionary) { return dictionary; }
const PhraseDirectionIndex& Dictionary(const PhraseDirectionIndex* dictionary) { return *dictionary; }

// The phrase that the first of `dictionaries` (indexes, or pointers to them) to hold one finds at p in
// s[0, end); of length 0 when none does.
template <class Dictionaries>
Taken PhraseAt(const unsigned char* s, std::size_t p, std::size_t end, const Dictionaries& dictionaries) {
    std::size_t width;
    const CharCode code = PhraseDirectionIndex::CodeAt(s, end, p, width);
    for (const auto& each : dictionaries) {
        const PhraseDirectionIndex& dictionary = Dictionary(each);
        if (!dictionary.MayStart(code)) continue;
        const PhraseMatch match = dictionary.Longest(s, end, p);
        if (match.length != 0) {
            return Taken{p, match.length, dictionary.Counterpart(match.entry),
                         dictionary.CounterpartSize(match.entry)};
        }
    }
    return Taken{p, 0, nullptr, 0};
}

// The phrases a pass writes over s[0, n), scanning from the left: at each character, the first dictionary
// that has a phrase there within the segment (cuts: where segments end, in order) gives its longest, and the
// scan goes on after it.
void FindPhrases(const unsigned char* s, std::size_t n,
                 const std::vector<const PhraseDirectionIndex*>& dictionaries, const CPhraseStarts& starts,
                 const std::vector<std::size_t>& cuts, std::vector<Taken>& taken) {
    taken.clear();
    std::size_t cut = 0;
    // The phrase at p, if any; then the scan goes on at its end.
    const auto ask = [&](std::size_t p) -> std::size_t {
        while (cut < cuts.size() && cuts[cut] <= p) ++cut;
        const Taken found = PhraseAt(s, p, cut < cuts.size() ? cuts[cut] : n, dictionaries);
        if (found.length == 0) return 0;
        taken.push_back(found);
        return p + found.length;
    };
    phrasescan::ForEachPossibleStart(s, n, starts, ask);
}

// Where the segments of s[0, n) end, from the phrases of the segmentation: a phrase is a segment, and so is
// each stretch between two.
void CutsOf(const std::vector<Taken>& phrases, std::size_t n, std::vector<std::size_t>& cuts) {
    cuts.clear();
    for (const Taken& phrase : phrases) {
        if (phrase.at != 0 && (cuts.empty() || cuts.back() != phrase.at)) cuts.push_back(phrase.at);
        if (phrase.at + phrase.length != n) cuts.push_back(phrase.at + phrase.length);
    }
}

std::size_t Moved(std::size_t at, std::ptrdiff_t by) {
    return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(at) + by);
}

// Writes the phrases taken over the text, whose characters are mapped already; the cuts move with it.
void WriteOver(std::string& text, const std::vector<Taken>& taken, std::vector<std::size_t>& cuts,
               std::string& built) {
    // Phrases of their own length go in place; the text is built anew only around those that change it,
    // fewer and far between, in long stretches.
    const std::size_t n = text.size();
    std::size_t size = n;
    bool anyOther = false;
    for (const Taken& t : taken) {
        if (t.size == t.length) {
            std::memcpy(&text[t.at], t.to, t.size);
        } else {
            size = size - t.length + t.size;
            anyOther = true;
        }
    }
    if (!anyOther) return;
    built.resize(size);
    char* w = &built[0];
    const char* r = text.data();
    std::size_t from = 0;
    std::size_t cut = 0;
    std::ptrdiff_t moved = 0;
    for (const Taken& t : taken) {
        if (t.size == t.length) continue;
        for (; cut < cuts.size() && cuts[cut] <= t.at; ++cut) cuts[cut] = Moved(cuts[cut], moved);
        std::memcpy(w, r + from, t.at - from);
        w += t.at - from;
        std::memcpy(w, t.to, t.size);
        w += t.size;
        moved += static_cast<std::ptrdiff_t>(t.size) - static_cast<std::ptrdiff_t>(t.length);
        from = t.at + t.length;
    }
    for (; cut < cuts.size(); ++cut) cuts[cut] = Moved(cuts[cut], moved);
    std::memcpy(w, r + from, n - from);
    text.swap(built);
}

// One index for two direct ones applied one after the other.
DirectionIndex Composed(const DirectionIndex& first, const DirectionIndex& second) {
    DirectionIndex both;
    both.direct = true;
    both.pairDelta.assign(0x10000, 0);
    for (unsigned b = 0; b < 256; ++b) {
        both.singles[b] = second.singles[first.singles[b]];
        both.singlesChange |= both.singles[b] != b;
    }
    for (std::uint32_t key = 0; key < 0x10000; ++key) {
        const auto once = static_cast<std::uint16_t>(key ^ first.pairDelta[key]);
        const auto twice = static_cast<std::uint16_t>(once ^ second.pairDelta[once]);
        both.pairDelta[key] = static_cast<std::uint16_t>(key ^ twice);
    }
    return both;
}

// The text as a direct index that keeps every character's width maps it.
class MappedReading {
  public:
    explicit MappedReading(const DirectionIndex& index)
        : m_delta(index.pairDelta.data()), m_singles(index.singles.data()) {}
    CharCode operator()(CharCode code) const {
        if (code < 0x100) return m_singles[code];
        return Code(Mapped(Loaded(static_cast<unsigned char>(code >> 8), code & 0xFF)));
    }

  private:
    std::uint16_t Mapped(std::uint16_t loaded) const { return loaded ^ m_delta[loaded]; }
    static CharCode Code(std::uint16_t loaded) {
        unsigned char bytes[2];
        std::memcpy(bytes, &loaded, 2);
        return static_cast<CharCode>(bytes[0] << 8 | bytes[1]);
    }

    const std::uint16_t* m_delta;
    const unsigned char* m_singles;
};

bool EndsInLoneLead(const char* text, std::size_t size) {
    if (size == 0 || !gbk::IsLeadByte(static_cast<unsigned char>(text[size - 1]))) return false;
    std::size_t q = 0;
    while (q + 1 < size) q += gbk::IsLeadByte(static_cast<unsigned char>(text[q])) ? 2 : 1;
    return q + 1 == size;
}

// The chain's rule converts each segment on its own, so a phrase's counterpart that ends in a lone lead byte
// keeps it; in a text converted whole it would take the next byte as its trail, and the characters after it
// would begin elsewhere.
bool EndsOnACharacter(const PhraseDirectionIndex& dictionary) {
    for (std::uint32_t entry = 0; entry < dictionary.Entries(); ++entry) {
        if (EndsInLoneLead(dictionary.Counterpart(entry), dictionary.CounterpartSize(entry))) return false;
    }
    return true;
}

// A phrase of one character that the map could write (Taiwan's 宏, 硅) needs no look-up where no later
// dictionary has a phrase that begins with it: where no longer phrase begins it is the map's form, the first
// dictionary to hold the character giving it. Writes those into `characters`; returns which they are.
std::vector<bool> FoldCharacters(const std::vector<const PhraseDirectionIndex*>& phrases,
                                 DirectionIndex& characters) {
    std::vector<bool> held(0x10000);
    std::vector<bool> folded(0x10000);
    for (std::size_t d = 0; d < phrases.size(); ++d) {
        phrases[d]->ForEachCharacter([&](CharCode code, const char* to, std::size_t size) {
            if (held[code]) return;
            held[code] = true;
            if (code < 0x100 || size != 2 || !gbk::IsLeadByte(static_cast<unsigned char>(to[0]))) return;
            for (std::size_t later = d + 1; later < phrases.size(); ++later) {
                if (phrases[later]->MayStart(code)) return;
            }
            folded[code] = true;
            const std::uint16_t key = Loaded(static_cast<unsigned char>(code >> 8), code & 0xFF);
            characters.pairDelta[key] =
                key ^ Loaded(static_cast<unsigned char>(to[0]), static_cast<unsigned char>(to[1]));
        });
    }
    return folded;
}

// The phrases of each dictionary as the text reads before a step that maps `characters`: each in every form
// whose characters the step maps to its own, but for the characters folded into the map. False when the
// forms would be too many (few phrases have more than a few).
bool FormsBefore(const std::vector<const PhraseDirectionIndex*>& phrases, const DirectionIndex& characters,
                 const std::vector<bool>& folded, std::vector<std::vector<PhraseEntry>>& before) {
    const MappedReading map(characters);
    std::vector<bool> inPhrases(0x10000);
    for (const PhraseDirectionIndex* dictionary : phrases) {
        dictionary->ForEachPhrase([&](const CharCode* codes, std::size_t count, std::uint32_t) {
            for (std::size_t k = 0; k < count; ++k) inPhrases[codes[k]] = true;
        });
    }
    std::vector<std::pair<CharCode, CharCode>> formerly;  // (code after the step, code before)
    const auto note = [&](CharCode code) {
        const CharCode after = map(code);
        if (inPhrases[after]) formerly.emplace_back(after, code);
    };
    for (CharCode b = 0; b < 0x100; ++b) note(b);
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0; trail < 0x100; ++trail) note(static_cast<CharCode>(lead << 8 | trail));
    }
    std::sort(formerly.begin(), formerly.end());
    std::vector<std::size_t> firstBefore(0x10001);  // formerly[firstBefore[c], firstBefore[c + 1]): before c
    for (const auto& [after, code] : formerly) ++firstBefore[after + 1];
    for (std::size_t c = 0; c < 0x10000; ++c) firstBefore[c + 1] += firstBefore[c];
    const auto formsOf = [&](CharCode code) { return firstBefore[code + 1] - firstBefore[code]; };
    // In number and in bytes: a phrase file may hold a phrase of any length.
    constexpr std::size_t kMostForms = 1 << 16;
    constexpr std::size_t kMostBytes = 1 << 22;
    std::size_t forms = 0;
    std::size_t bytes = 0;
    const auto tooMany = [&] { return forms > kMostForms || bytes > kMostBytes; };
    before.assign(phrases.size(), {});
    for (std::size_t d = 0; d < phrases.size() && !tooMany(); ++d) {
        const PhraseDirectionIndex& dictionary = *phrases[d];
        dictionary.ForEachPhrase([&](const CharCode* codes, std::size_t count, std::uint32_t entry) {
            if (count == 1 && folded[codes[0]]) return;
            if (std::any_of(codes, codes + count, [&](CharCode code) { return formsOf(code) == 0; })) return;
            const std::string counterpart(dictionary.Counterpart(entry), dictionary.CounterpartSize(entry));
            std::vector<std::size_t> choice(count);  // which form of each character, counted like a number
            for (;;) {
                ++forms;
                bytes += 2 * count + counterpart.size();
                if (tooMany()) return;
                std::string form;
                for (std::size_t c = 0; c < count; ++c) {
                    const CharCode code = formerly[firstBefore[codes[c]] + choice[c]].second;
                    if (code >= 0x100) form += static_cast<char>(code >> 8);
                    form += static_cast<char>(code & 0xFF);
                }
                before[d].push_back(PhraseEntry{std::move(form), counterpart});
                std::size_t k = 0;
                while (k < count && ++choice[k] == formsOf(codes[k])) choice[k++] = 0;
                if (k == count) break;
            }
        });
    }
    return !tooMany();
}

}  // namespace

bool CChainPasses::Build(const PhraseDirectionIndex* segmentation, const std::vector<Step>& steps) {
    m_passes.clear();
    m_oneScan = std::make_shared<Lazy>();
    if (segmentation != nullptr && !EndsOnACharacter(*segmentation)) return false;
    std::vector<Pass> passes;
    for (const Step& step : steps) {
        Pass pass;
        std::size_t phrases = step.dictionaries.size();
        while (phrases != 0 && step.dictionaries[phrases - 1]->Characters()) --phrases;
        pass.phrases.assign(step.dictionaries.begin(), step.dictionaries.begin() + phrases);
        for (const PhraseDirectionIndex* dictionary : pass.phrases) {
            if (dictionary != segmentation && !EndsOnACharacter(*dictionary)) return false;
        }
        const std::vector<const PhraseDirectionIndex*> characters(step.dictionaries.begin() + phrases,
                                                                  step.dictionaries.end());
        if (!Compose(characters, step.table, pass.characters)) return false;
        pass.mapsAny = MapsAny(pass.characters);
        std::vector<const CPhraseStarts*> starts;
        for (const PhraseDirectionIndex* dictionary : pass.phrases) starts.push_back(&dictionary->Starts());
        pass.starts = CPhraseStarts::Union(starts);
        passes.push_back(std::move(pass));
    }
    m_segmentation = segmentation;
    m_passes = std::move(passes);
    return true;
}

bool CChainPasses::BuildOneScan(OneScan& one, bool inParts) const {
    if (m_segmentation == nullptr || m_passes.size() != 2) return false;
    const Pass& first = m_passes[0];
    const Pass& second = m_passes[1];
    if (first.phrases.size() != 1 || first.phrases[0] != m_segmentation || second.phrases.empty())
        return false;
    // Character boundaries must read the same before the first step and after it.
    for (unsigned b = 0; b < 256; ++b) {
        if (gbk::IsLeadByte(static_cast<unsigned char>(b)) != gbk::IsLeadByte(first.characters.singles[b]))
            return false;
    }
    DirectionIndex secondCharacters = second.characters;
    const std::vector<bool> folded = FoldCharacters(second.phrases, secondCharacters);
    std::vector<std::vector<PhraseEntry>> before;
    if (!FormsBefore(second.phrases, first.characters, folded, before)) return false;
    const PhraseDirectionIndex& segmentation = *m_segmentation;
    one.split = segmentation.Entries();
    const auto part = [&](std::size_t k) {
        if (k == 0) return FinalsOf(segmentation, second, one.finalAt, one.finals);
        one.both = segmentation.WithPhrases(before[0]);
        for (std::size_t d = 1; d < before.size(); ++d)
            one.secondRest.push_back(PhraseDirectionIndex::Build(before[d], {}));
    };
    if (inParts) {
        parallel::ForEachPart(2, part);
    } else {
        part(0);
        part(1);
    }
    std::vector<const CPhraseStarts*> starts{&one.both.Starts()};
    for (const PhraseDirectionIndex& dictionary : one.secondRest) starts.push_back(&dictionary.Starts());
    one.starts = CPhraseStarts::Union(starts);
    one.characters = Composed(first.characters, secondCharacters);
    one.mapsAny = MapsAny(one.characters);
    return true;
}

// Each phrase of the segmentation is a segment of its own: the second step converts its counterpart alone.
// Most counterparts hold no character that the step maps or that begins one of its phrases.
void CChainPasses::FinalsOf(const PhraseDirectionIndex& segmentation, const Pass& second,
                            std::vector<std::uint32_t>& finalAt, std::string& finals) {
    const MappedReading secondMap(second.characters);
    finalAt.reserve(segmentation.Entries() + 1);
    std::string text;
    std::vector<Taken> taken;
    std::vector<std::size_t> noCuts;
    std::string built;
    for (std::uint32_t entry = 0; entry < segmentation.Entries(); ++entry) {
        const char* counterpart = segmentation.Counterpart(entry);
        const std::size_t size = segmentation.CounterpartSize(entry);
        const auto* c = reinterpret_cast<const unsigned char*>(counterpart);
        finalAt.push_back(static_cast<std::uint32_t>(finals.size()));
        bool touched = false;
        std::size_t width;
        for (std::size_t q = 0; q < size && !touched; q += width) {
            const CharCode code = PhraseDirectionIndex::CodeAt(c, size, q, width);
            const bool mayBegin = q + 4 <= size && code >= 0x100 ? second.starts.MayBeginAtPair<true>(c, q)
                                                                 : second.starts.MayStart(code);
            touched = mayBegin || secondMap(code) != code;
        }
        text.assign(counterpart, size);
        if (touched) {
            FindPhrases(c, size, second.phrases, second.starts, noCuts, taken);
            if (second.mapsAny && size != 0) MapDirect(&text[0], size, second.characters);
            WriteOver(text, taken, noCuts, built);
        }
        finals += text;
    }
    finalAt.push_back(static_cast<std::uint32_t>(finals.size()));
}

bool CChainPasses::ConvertInOneScan(const OneScan& one, std::string& text) const {
    const PhraseDirectionIndex& both = one.both;
    Scratch& scratch = ThreadScratch();
    std::vector<Taken>& taken = scratch.taken;
    taken.clear();
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    const auto ask = [&](std::size_t p) -> std::size_t {
        PhraseMatch phrase;
        PhraseMatch second;
        both.LongestOfTwo(s, n, p, one.split, phrase, second);
        if (phrase.length != 0) {
            const std::uint32_t at = one.finalAt[phrase.entry];
            taken.push_back(
                Taken{p, phrase.length, one.finals.data() + at, one.finalAt[phrase.entry + 1] - at});
            return p + phrase.length;
        }
        Taken found = second.length != 0 ? Taken{p, second.length, both.Counterpart(second.entry),
                                                 both.CounterpartSize(second.entry)}
                                         : PhraseAt(s, p, n, one.secondRest);
        // Between the segmentation's phrases: the segment ends where the next one begins.
        std::size_t width;
        PhraseDirectionIndex::CodeAt(s, n, p, width);
        for (std::size_t q = p + width; q < p + found.length; q += width) {
            const CharCode code = PhraseDirectionIndex::CodeAt(s, n, q, width);
            const bool mayBegin = q + 4 <= n && code >= 0x100 ? both.Starts().MayBeginAtPair<true>(s, q)
                                                              : both.Starts().MayStart(code);
            if (!mayBegin) continue;
            both.LongestOfTwo(s, n, q, one.split, phrase, second);
            if (phrase.length == 0) continue;
            // Cut short, the segmentation still has no phrase at p, nor the first dictionary one where it
            // had none.
            both.LongestOfTwo(s, q, p, one.split, phrase, second);
            found = second.length != 0 ? Taken{p, second.length, both.Counterpart(second.entry),
                                               both.CounterpartSize(second.entry)}
                                       : PhraseAt(s, p, q, one.secondRest);
            break;
        }
        if (found.length == 0) return 0;
        taken.push_back(found);
        return p + found.length;
    };
    phrasescan::ForEachPossibleStart(s, n, one.starts, ask);
    if (one.mapsAny) MapDirect(&text[0], n, one.characters);
    scratch.cuts.clear();
    WriteOver(text, taken, scratch.cuts, scratch.built);
    return true;
}

void CChainPasses::MakeOneScan(Lazy& lazy, bool inParts) const {
    OneScan scan;
    const bool taken = BuildOneScan(scan, inParts);
    lazy.scan = std::move(scan);
    lazy.taken = taken;
}

void CChainPasses::Prepare() const {
    Lazy& lazy = *m_oneScan;
    lazy.made.Run([&] { MakeOneScan(lazy, true); });
}

bool CChainPasses::Convert(std::string& text) const {
    const std::size_t size = text.size();
    if (size == 0) return true;
    if (EndsInLoneLead(text.data(), size)) return false;
    // Made on first use (a window builds every region's chain and converts by few of them), alone: this may
    // be a part run beside others that wait for it.
    Lazy& lazy = *m_oneScan;
    lazy.made.Run([&] { MakeOneScan(lazy, false); });
    if (lazy.taken) return ConvertInOneScan(lazy.scan, text);
    Scratch& scratch = ThreadScratch();
    std::vector<std::size_t>& cuts = scratch.cuts;
    cuts.clear();
    bool segmentsFound = false;
    if (m_segmentation != nullptr) {
        FindPhrases(reinterpret_cast<const unsigned char*>(text.data()), size, {m_segmentation},
                    m_segmentation->Starts(), cuts, scratch.segments);
        CutsOf(scratch.segments, size, cuts);
        segmentsFound = true;
    }
    for (const Pass& pass : m_passes) {
        const auto* s = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t n = text.size();
        // A step that asks the segmentation's dictionary alone finds, within each segment, the segment.
        const bool asSegmented =
            segmentsFound && pass.phrases.size() == 1 && pass.phrases[0] == m_segmentation;
        if (!pass.phrases.empty() && !asSegmented)
            FindPhrases(s, n, pass.phrases, pass.starts, cuts, scratch.taken);
        if (pass.phrases.empty()) scratch.taken.clear();
        const std::vector<Taken>& taken = asSegmented ? scratch.segments : scratch.taken;
        segmentsFound = false;  // the text changes under them
        // The phrases were found on the text as it was: now its characters map in place, and the phrases
        // are written over them.
        if (pass.mapsAny && n != 0) MapDirect(&text[0], n, pass.characters);
        WriteOver(text, taken, cuts, scratch.built);
    }
    return true;
}
