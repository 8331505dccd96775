// Eligibility.cpp: the extension test of the batch filter.
#include "Eligibility.hpp"

#include "core/Gbk.hpp"

const char kDefaultFilter[] = "*.txt;*.asp;*.php;*.jsp;*.html;*.asa;*.jsa;*.vbs;*.cpp;*.h;*.pas;*.dfm";

namespace {
// Every entry is a dot, the extension and a ";"; the test looks for the extension, dot included, and a ";".
const std::string kBinaryTypes =
    ".doc;.exe;.dll;.gif;.jpg;.jpge;.ppt;.xls;.xlc;.bmp;.ico;.cur;.swf;.mdb;.sys;.com;.mdf;.dbf;.ldf;";
}  // namespace

bool IsConvertible(const std::string& path, const std::string& filter) {
    const std::size_t slash = gbk::ReverseFind(path, '\\');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = gbk::Find(path, ".", nameStart);
    if (dot == std::string::npos || dot == 0) return true;
    std::string extension = path.substr(dot);
    gbk::LowerAscii(extension);
    if (gbk::Find(kBinaryTypes, extension + ";") != std::string::npos) return false;
    const std::size_t found = gbk::Find(filter, extension);
    return found != std::string::npos && found >= 1;
}
