// WindowText.hpp: window texts and string resources as UTF-8, through the wide API.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

std::string GetWindowUtf8Text(HWND window);
void SetWindowUtf8Text(HWND window, const std::string& text);

// The module whose resources the program uses: the executable itself.
HINSTANCE ResourceModule();

// A string of the string table, or "" when it has none with that ID.
std::string LoadUtf8String(UINT id);

}  // namespace platform
