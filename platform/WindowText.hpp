// WindowText.hpp: window texts and string resources as GBK, through the wide API and code page 936.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

std::string GetWindowGbkText(HWND window);
void SetWindowGbkText(HWND window, const std::string& gbk);

// The module whose resources the program uses: the executable itself.
HINSTANCE ResourceModule();

// A string of the string table, or "" when it has none with that ID.
std::string LoadGbkString(UINT id);

}  // namespace platform
