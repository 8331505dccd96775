// ConvertWordsLiteral.cpp: the reference conversion by words, the rule followed word for word.
#include <cstddef>

#include "LiteralConversion.hpp"
#include "core/Gbk.hpp"

namespace {

// Whether phrase's bytes sit at the boundary pos and end on a boundary of text (or at its end, which is one
// even after a lone lead byte).
bool PhraseAt(const std::string& text, std::size_t pos, const std::string& phrase) {
    const std::size_t stop = pos + phrase.size();
    if (phrase.empty() || stop > text.size() || text.compare(pos, phrase.size(), phrase) != 0) return false;
    std::size_t end = pos;
    while (end < stop) end += gbk::CharWidth(text, end);
    return end == stop || stop == text.size();
}

void AppendConverted(std::string& out, const std::string& text, std::size_t from, std::size_t to,
                     Direction direction, const CharTables& tables) {
    std::string stretch = text.substr(from, to - from);
    ConvertTextLiteral(stretch, direction, tables);
    out += stretch;
}

}  // namespace

void ConvertWordsLiteral(std::string& text, Direction direction, const CharTables& tables,
                         const PhraseTables& phrases) {
    const std::vector<PhraseEntry>& list = phrases.Phrases(direction);
    std::string out;
    std::size_t uncovered = 0;  // where the stretch that no phrase covers began
    std::size_t pos = 0;
    while (pos < text.size()) {
        const PhraseEntry* longest = nullptr;
        for (const PhraseEntry& entry : list) {
            if ((longest == nullptr || entry.phrase.size() > longest->phrase.size()) &&
                PhraseAt(text, pos, entry.phrase)) {
                longest = &entry;
            }
        }
        if (longest == nullptr) {
            pos += gbk::CharWidth(text, pos);
            continue;
        }
        AppendConverted(out, text, uncovered, pos, direction, tables);
        out += longest->counterpart;
        pos += longest->phrase.size();
        uncovered = pos;
    }
    if (uncovered < text.size()) AppendConverted(out, text, uncovered, text.size(), direction, tables);
    text.swap(out);
}
