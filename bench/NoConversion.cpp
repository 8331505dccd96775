// NoConversion.cpp: a ConvertText that leaves every line as it is.
//
// zendrix-convert-copy links this file ahead of the core library, so the linker takes this definition and
// never pulls the real one in: the program is zendrix-convert, built from the same sources and objects, that
// copies instead of converting. Should core/ConvertText.cpp ever define a second symbol that something needs,
// the link fails with a duplicate definition rather than quietly measuring something else.
#include "core/ConvertText.hpp"

void ConvertText(std::string&, int, const CharTables&) {}
