// Dpi.hpp: the DPI a window is shown at and system metrics at a DPI, on every Windows the program runs on.
#pragma once

#include <windows.h>

namespace platform {

// The DPI the system assumes when it tells none: 100 %.
constexpr UINT kDefaultDpi = 96;

// The DPI of the monitor a window is on for a per-monitor aware program (Windows 10 1607 and later); before
// that, the system's.
UINT WindowDpi(HWND window);

// A system metric (SM_CXICON, SM_CYCAPTION, ...) as it is at a DPI; before Windows 10 1607, the system's
// value scaled from the system's DPI.
int SystemMetricForDpi(int index, UINT dpi);

// A length in pixels at 96 DPI, as long at the given DPI.
int ScaleForDpi(int pixels, UINT dpi);

}  // namespace platform
