// Application.cpp: the application object and wWinMain, which hands control to it.
#include "Application.hpp"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

namespace platform {

namespace {
CApplication* g_application = nullptr;
}

CApplication::CApplication() { g_application = this; }

CApplication::~CApplication() {
    if (g_application == this) g_application = nullptr;
}

CApplication* CApplication::Current() { return g_application; }

int CApplication::Run() {
    InitInstance();
    return 0;
}

bool EnableCommonControls() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    return ::InitCommonControlsEx(&controls) != FALSE;
}

}  // namespace platform

// The linker finds this through the application object's class, which every program built on it uses.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform::CApplication* application = platform::CApplication::Current();
    return application ? application->Run() : 1;
}
