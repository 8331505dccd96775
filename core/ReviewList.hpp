// ReviewList.hpp: the places where the character table alone chose among several forms, for a person to
// check.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "PhraseTable.hpp"
#include "TextConversion.hpp"

struct ReviewPlace {
    std::size_t offset = 0;           // byte offset of the character in the text given
    std::string character;            // as it stands there
    std::string chosen;               // what the conversion made of it
    std::vector<std::string> others;  // the direction's other forms for it, in the file's order
};

// Lists, in text order, each character of a GBK text to which `forms` (the phrase file's candidates of the
// conversion's direction) gives more than one form and that no phrase covers when the text is converted, so
// that the character table alone decided it. A conversion by characters covers nothing: every such character
// is listed. `chosen` is the character converted alone by ConvertText, which for tables that map a character
// at a time (the shipped ones) is what it becomes in the text. Places whose forms hold nothing besides
// `chosen` are left out. With 头发 -> 頭髮 among the phrases and 发 given the forms 發 and 髮, the 发 of 头发
// is not listed; a 发 that no phrase covers is, chosen 發, others {髮}.
std::vector<ReviewPlace> ReviewList(const std::string& text, const CTextConversion& conversion,
                                    const PhraseTables& forms);

// The same places handed to take(place) one at a time, in text order: memory stays small however long the
// text and however many its places.
void ForEachReviewPlace(const std::string& text, const CTextConversion& conversion, const PhraseTables& forms,
                        const std::function<void(const ReviewPlace&)>& take);
