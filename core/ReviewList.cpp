// ReviewList.cpp: the characters that conversion by words left to the character table, among several forms.
#include "ReviewList.hpp"

#include "ConvertText.hpp"
#include "PhraseIndex.hpp"

namespace {

std::vector<ReviewPlace> Review(const std::string& text, int toTraditional, const CharTables& tables,
                                const PhraseDirectionIndex& words, bool usePhrases) {
    std::vector<ReviewPlace> places;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t width;
    for (std::size_t p = 0; p < n; p += width) {
        const CharCode code = PhraseDirectionIndex::CodeAt(s, n, p, width);
        if (usePhrases && words.MayStart(code)) {
            const PhraseMatch match = words.Longest(s, n, p);
            if (match.length != 0) {
                width = match.length;
                continue;
            }
        }
        const std::vector<std::string>* forms = words.Forms(code);
        if (forms == nullptr) continue;
        ReviewPlace place;
        place.offset = p;
        place.character.assign(text, p, width);
        place.chosen = place.character;
        ConvertText(place.chosen, toTraditional, tables);
        for (const std::string& form : *forms) {
            if (form != place.chosen) place.others.push_back(form);
        }
        if (!place.others.empty()) places.push_back(std::move(place));
    }
    return places;
}

}  // namespace

std::vector<ReviewPlace> ReviewList(const std::string& text, int toTraditional, const CharTables& tables,
                                    const PhraseTables& phrases, bool usePhrases) {
    CharTables spare;
    const CharTables& chars = IndexedTables(tables, spare);
    if (const PhraseIndex* index = FittingPhraseIndex(phrases)) {
        return Review(text, toTraditional, chars, toTraditional ? index->toTraditional : index->toSimplified,
                      usePhrases);
    }
    const PhraseDirectionIndex words =
        toTraditional ? PhraseDirectionIndex::Build(phrases.toTraditional, phrases.traditionalForms)
                      : PhraseDirectionIndex::Build(phrases.toSimplified, phrases.simplifiedForms);
    return Review(text, toTraditional, chars, words, usePhrases);
}
