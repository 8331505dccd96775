// CodePage.cpp: UTF-8 (WTF-8) and UTF-16, and the long form of paths.
#include "CodePage.hpp"

#include <windows.h>

namespace platform {

namespace {

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// One code point of WTF-8 at p[0, n): UTF-8 that also takes a surrogate written alone. Returns its length, or
// 0 for bytes that begin no such sequence (overlong forms, beyond U+10FFFF, cut short).
int DecodeWtf8(const unsigned char* p, std::size_t n, char32_t& cp) {
    const unsigned char b0 = p[0];
    int length = 0;
    char32_t least = 0;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, cp = b0 & 0x1F, least = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, cp = b0 & 0x0F, least = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, cp = b0 & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (n < static_cast<std::size_t>(length)) return 0;
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (p[k] & 0x3F);
    }
    return cp >= least && cp <= 0x10FFFF ? length : 0;
}

void AppendWtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    const int length = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    const unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(lead[length] | cp >> (6 * (length - 1)));
    for (int k = length - 2; k >= 0; --k) out += static_cast<char>(0x80 | (cp >> (6 * k) & 0x3F));
}

// The classic limit, less room for the 8.3 name that CreateDirectory insists on keeping free.
constexpr std::size_t kClassicLimit = MAX_PATH - 12;
constexpr std::size_t kLongLimit = 32767 - 8;  // room for "\\?\UNC\"

}  // namespace

std::wstring WideFromUtf8(const std::string& utf8) {
    std::wstring wide;
    wide.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    for (std::size_t i = 0; i < n;) {
        char32_t cp = 0;
        const int length = DecodeWtf8(p + i, n - i, cp);
        if (length == 0) {
            wide += L'\xFFFD';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            wide += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(cp);
        }
        i += static_cast<std::size_t>(length);
    }
    return wide;
}

std::string Utf8FromWide(const wchar_t* wide) { return Utf8FromWide(std::wstring(wide ? wide : L"")); }

std::string Utf8FromWide(const std::wstring& wide) {
    std::string utf8;
    utf8.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t cp = wide[i];
        if (IsHighSurrogate(wide[i]) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        }
        AppendWtf8(utf8, cp);  // a lone surrogate too, as the three bytes a character would take
    }
    return utf8;
}

std::wstring FullPathOf(const std::wstring& path) {
    DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    while (size > 0) {
        std::wstring full(size, L'\0');
        const DWORD got = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
        if (got < size) {
            full.resize(got);
            return full;
        }
        size = got;  // the current directory changed in between: try again with the new size
    }
    return {};
}

std::wstring WidePath(const std::string& path) { return LongPathForm(WideFromUtf8(path)); }

std::wstring LongPathForm(const std::wstring& wide) {
    // Beyond 32,767 units no form works: the plain one fails cleanly (some systems mistake a longer long
    // form).
    if (wide.size() < kClassicLimit || wide.size() > kLongLimit || wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    const std::wstring full = FullPathOf(wide);
    if (full.size() < 3) return wide;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share
    return L"\\\\?\\" + full;
}

std::wstring WithoutLongPrefix(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

}  // namespace platform
