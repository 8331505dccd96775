// NoConversion.cpp: a conversion that leaves every line as it is.
//
// zendrix-convert-copy links this file ahead of the core library, so the linker takes these definitions and
// never pulls the real ones in: the program is zendrix-convert, built from the same sources and objects, that
// copies instead of converting, through the same run-at-a-time path. Should core/ConvertText.cpp ever define
// another symbol that something needs, the link fails with a duplicate definition rather than quietly
// measuring something else.
#include "core/ConvertText.hpp"

void ConvertText(std::string&, int, const CharTables&) {}

bool ConvertLineRun(char*, std::size_t, int, const CharTables&) { return true; }
