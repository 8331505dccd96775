// SystemMenu.cpp: additions to a window's system menu.
#include "SystemMenu.hpp"

#include "CodePage.hpp"

namespace platform {

bool AppendSystemMenuCommand(HWND window, UINT commandId, const std::string& gbkText) {
    HMENU menu = ::GetSystemMenu(window, FALSE);
    if (!menu) return false;
    const std::wstring text = WideFromGbk(gbkText);
    return ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) &&
           ::AppendMenuW(menu, MF_STRING, commandId, text.c_str());
}

}  // namespace platform
