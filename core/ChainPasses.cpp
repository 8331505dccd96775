// ChainPasses.cpp: the passes of a named conversion.
#include "ChainPasses.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ConvertText.hpp"
#include "Gbk.hpp"
#include "PhraseIndex.hpp"
#include "PhraseScan.hpp"

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
        const std::size_t end = cut < cuts.size() ? cuts[cut] : n;
        std::size_t width;
        const CharCode code = PhraseDirectionIndex::CodeAt(s, end, p, width);
        for (const PhraseDirectionIndex* dictionary : dictionaries) {
            if (!dictionary->MayStart(code)) continue;
            const PhraseMatch match = dictionary->Longest(s, end, p);
            if (match.length == 0) continue;
            taken.push_back(Taken{p, match.length, dictionary->Counterpart(match.entry),
                                  dictionary->CounterpartSize(match.entry)});
            return p + match.length;
        }
        return 0;
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

}  // namespace

bool CChainPasses::Build(const PhraseDirectionIndex* segmentation, const std::vector<Step>& steps) {
    m_passes.clear();
    std::vector<Pass> passes;
    for (const Step& step : steps) {
        Pass pass;
        std::size_t phrases = step.dictionaries.size();
        while (phrases != 0 && step.dictionaries[phrases - 1]->Characters()) --phrases;
        pass.phrases.assign(step.dictionaries.begin(), step.dictionaries.begin() + phrases);
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

bool CChainPasses::Convert(std::string& text) const {
    const std::size_t size = text.size();
    if (size == 0) return true;
    if (gbk::IsLeadByte(static_cast<unsigned char>(text.back()))) {
        std::size_t q = 0;
        while (q + 1 < size) q += gbk::CharWidth(text, q);
        if (q + 1 == size) return false;
    }
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
        const bool sameLengths =
            std::all_of(taken.begin(), taken.end(), [](const Taken& t) { return t.size == t.length; });
        if (sameLengths) {
            for (const Taken& t : taken) std::memcpy(&text[t.at], t.to, t.size);
            continue;
        }
        // Phrases that change the length: the text is built anew, and every cut moves with it.
        std::size_t size = n;
        for (const Taken& t : taken) size = size - t.length + t.size;
        std::string& built = scratch.built;
        built.resize(size);
        char* w = &built[0];
        const char* r = text.data();
        std::size_t from = 0;
        std::size_t cut = 0;
        std::ptrdiff_t moved = 0;
        for (const Taken& t : taken) {
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
    return true;
}
