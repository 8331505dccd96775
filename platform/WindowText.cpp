// WindowText.cpp: window texts and string resources as UTF-8.
#include "WindowText.hpp"

#include "CodePage.hpp"

namespace platform {

std::string GetWindowUtf8Text(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, wide.data(), length + 1);
    wide.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Utf8FromWide(wide);
}

void SetWindowUtf8Text(HWND window, const std::string& text) {
    ::SetWindowTextW(window, WideFromUtf8(text).c_str());
}

HINSTANCE ResourceModule() { return ::GetModuleHandleW(nullptr); }

std::string LoadUtf8String(UINT id) {
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself, so no length limit.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return {};
    return Utf8FromWide(std::wstring(text, static_cast<std::size_t>(length)));
}

}  // namespace platform
