// ConvertText.cpp: the conversion used by the program.
#include "ConvertText.hpp"

void ConvertText(std::string& text, int toTraditional, const CharTables& tables) {
    ConvertTextLiteral(text, toTraditional, tables);
}
