// MessageBox.hpp: the program's message box, its only way of telling the user anything.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// The executable's file name without its extension ("Zendrix" for Zendrix.exe); message boxes carry it.
std::string ApplicationName();

// A modal message box owned by the main window (see SetMainDialog) and captioned with ApplicationName().
// The default is one OK button with the warning icon; pass MB_YESNO with an icon to ask. Returns the button
// pressed (IDOK, IDYES, IDNO), or 0 when the box could not be shown.
int AppMessageBox(const std::string& text, UINT type = MB_OK | MB_ICONEXCLAMATION);

}  // namespace platform
