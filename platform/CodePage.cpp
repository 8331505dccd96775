// CodePage.cpp: GBK <-> UTF-16 through code page 936.
#include "CodePage.hpp"

#include <windows.h>

namespace platform {

namespace {
constexpr UINT kGbk = 936;
}

std::wstring WideFromGbk(const std::string& gbk) {
    if (gbk.empty()) return {};
    const int size = static_cast<int>(gbk.size());
    const int needed = ::MultiByteToWideChar(kGbk, 0, gbk.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(kGbk, 0, gbk.data(), size, wide.data(), needed);
    return wide;
}

std::string GbkFromWide(const wchar_t* wide) { return GbkFromWide(std::wstring(wide ? wide : L"")); }

std::string GbkFromWide(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int needed = ::WideCharToMultiByte(kGbk, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string gbk(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(kGbk, 0, wide.data(), size, gbk.data(), needed, nullptr, nullptr);
    return gbk;
}

}  // namespace platform
