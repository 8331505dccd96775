// SystemMenu.cpp: additions to a window's system menu.
#include "SystemMenu.hpp"

#include "CodePage.hpp"

namespace platform {

bool AppendSystemMenuCommand(HWND window, UINT commandId, const std::string& text) {
    HMENU menu = ::GetSystemMenu(window, FALSE);
    if (!menu) return false;
    const std::wstring wide = WideFromUtf8(text);
    return ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) &&
           ::AppendMenuW(menu, MF_STRING, commandId, wide.c_str());
}

}  // namespace platform
