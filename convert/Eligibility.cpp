// Eligibility.cpp: the extension test of the batch filter.
#include "Eligibility.hpp"

const char kDefaultFilter[] = "*.txt;*.asp;*.php;*.jsp;*.html;*.asa;*.jsa;*.vbs;*.cpp;*.h;*.pas;*.dfm";

namespace {
// Every entry is a dot, the extension and a ";"; the test looks for the extension, dot included, and a ";".
const std::string kBinaryTypes =
    ".doc;.exe;.dll;.gif;.jpg;.jpge;.ppt;.xls;.xlc;.bmp;.ico;.cur;.swf;.mdb;.sys;.com;.mdf;.dbf;.ldf;";
}  // namespace

// Plain byte searches are character searches in UTF-8: no byte of a multi-byte character is a "\", a "." or
// a letter, and a character never begins inside another.
bool IsConvertible(const std::string& path, const std::string& filter) {
    const std::size_t slash = path.rfind('\\');
    const std::size_t dot = path.find('.', slash == std::string::npos ? 0 : slash + 1);
    if (dot == std::string::npos || dot == 0) return true;
    std::string extension = path.substr(dot);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (kBinaryTypes.find(extension + ";") != std::string::npos) return false;
    const std::size_t found = filter.find(extension);
    return found != std::string::npos && found >= 1;
}
