// ConvertTextLiteral.cpp: the reference conversion, one literal step after another.
#include <cstddef>

#include "LiteralConversion.hpp"
#include "core/Gbk.hpp"

void ConvertTextLiteral(std::string& text, Direction direction, const CharTables& tables) {
    const std::string& search = tables.Search(direction);
    const std::string& result = tables.Result(direction);
    const std::size_t length =
        text.size();  // fixed: replacements that shrink the text do not shorten the scan

    std::string character;
    std::string replacement;
    for (std::size_t pos = 0; pos < length;) {
        std::size_t width = 2;  // past the end of a shrunken text: an empty character, which changes nothing
        character.clear();
        if (pos < text.size()) {
            width = gbk::CharWidth(text, pos);
            character.assign(text, pos, width);  // a lone lead byte at the end stays one byte, width 2
        }
        const std::size_t k = gbk::Find(search, character);
        if (k != std::string::npos) {
            replacement.assign(result, k < result.size() ? k : result.size(), width);
            if (replacement != character) gbk::ReplaceAll(text, character, replacement);
        }
        pos += width;
    }
}
