// CodePage.cpp: UTF-8 (WTF-8) and UTF-16, and the long form of paths.
#include "CodePage.hpp"

#include <windows.h>

#include "platform/Utf8.hpp"

namespace platform {

namespace {

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

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
        int length = utf8::DecodeOne(p + i, n - i, cp);
        if (length <= 0 && n - i >= 3 && p[i] == 0xED && p[i + 1] >= 0xA0 && p[i + 1] <= 0xBF &&
            (p[i + 2] & 0xC0) == 0x80) {
            // A surrogate on its own, as Utf8FromWide writes it.
            cp = 0xD000 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F);
            length = 3;
        }
        if (length <= 0) {
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
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            utf8 += static_cast<char>(0xED);
            utf8 += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            utf8::Append(utf8, cp);
        }
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
