// ReviewList.cpp: the characters that conversion by words left to the character table, among several forms.
#include "ReviewList.hpp"

#include "ConvertText.hpp"
#include "PhraseIndex.hpp"
#include "UserPairs.hpp"

namespace {

// The places of text[from, to), a text of its own as the conversion takes it.
void ReviewStretch(const std::string& text, std::size_t from, std::size_t to,
                   const CTextConversion& conversion, const PhraseTables& forms,
                   const std::function<void(const ReviewPlace&)>& take) {
    const Direction direction = conversion.GetDirection();
    const PhraseDirectionIndex* words =
        conversion.Phrases() != nullptr ? &conversion.Phrases()->Index(direction) : nullptr;
    const PhraseDirectionIndex& candidates = forms.Index(direction);
    ReviewPlace place;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t width;
    for (std::size_t p = from; p < to; p += width) {
        const CharCode code = PhraseDirectionIndex::CodeAt(s, to, p, width);
        if (words != nullptr && words->MayStart(code)) {
            const PhraseMatch match = words->Longest(s, to, p);
            if (match.length != 0) {
                width = match.length;
                continue;
            }
        }
        const std::vector<std::string>* choices = candidates.Forms(code);
        if (choices == nullptr) continue;
        place.offset = p;
        place.character.assign(text, p, width);
        place.chosen = place.character;
        ConvertText(place.chosen, direction, conversion.Tables());
        place.others.clear();
        for (const std::string& form : *choices) {
            if (form != place.chosen) place.others.push_back(form);
        }
        if (!place.others.empty()) take(place);
    }
}

}  // namespace

void ForEachReviewPlace(const std::string& text, const CTextConversion& conversion, const PhraseTables& forms,
                        const std::function<void(const ReviewPlace&)>& take) {
    const CUserPairs* pairs = conversion.UserPairs();
    if (pairs == nullptr || pairs->Empty())
        return ReviewStretch(text, 0, text.size(), conversion, forms, take);
    // What the user's pairs cover they decided; the text between them converts as a text of its own.
    pairs->Cut(
        text.data(), text.size(),
        [&](std::size_t from, std::size_t to) { ReviewStretch(text, from, to, conversion, forms, take); },
        [](const char*, std::size_t) {});
}

std::vector<ReviewPlace> ReviewList(const std::string& text, const CTextConversion& conversion,
                                    const PhraseTables& forms) {
    std::vector<ReviewPlace> places;
    ForEachReviewPlace(text, conversion, forms,
                       [&places](const ReviewPlace& place) { places.push_back(place); });
    return places;
}
