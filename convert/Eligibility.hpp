// Eligibility.hpp: which files may be converted, judged by the extension alone. Portable.
#pragma once

#include <string>

// The filter box's text when the window opens.
extern const char kDefaultFilter[];

// Paths and filter are UTF-8. True when the file may be converted: it has no extension (no "." in its name,
// or the dot is the first byte of the path), or its lowered extension, taken from the first dot of the name,
// is not a binary type and occurs in filter at offset 1 or more. The filter is searched as plain text,
// unlowered: with kDefaultFilter, "C:\web\index.HTML" and "a.htm" pass, "a.min.js" and "report.doc" do not;
// with the filter ".txt", "a.txt" does not pass either (its only occurrence is at offset 0).
bool IsConvertible(const std::string& path, const std::string& filter);
