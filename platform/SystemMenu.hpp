// SystemMenu.hpp: additions to a window's system menu.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Appends a separator and then a command item with the given text. The command arrives as WM_SYSCOMMAND
// with wParam = commandId; Windows reserves its low four bits, so commandId should have them clear.
bool AppendSystemMenuCommand(HWND window, UINT commandId, const std::string& text);

}  // namespace platform
