// CodePage.hpp: GBK <-> UTF-16 at the system boundary, with code page 936 whatever the system's ANSI page.
#pragma once

#include <string>

namespace platform {

std::wstring WideFromGbk(const std::string& gbk);
std::string GbkFromWide(const std::wstring& wide);
std::string GbkFromWide(const wchar_t* wide);

}  // namespace platform
