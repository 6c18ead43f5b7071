// The DPI a window is drawn at: the window's own where the system knows it (Windows 10
// 1607 and later), else the screen's.
#pragma once

#include <windows.h>

namespace framework {

// Always within 96..288.
int WindowDpi(HWND hwnd);

// A length given at 96 dpi, for the window's DPI.
int ScaleForWindow(HWND hwnd, int pixels);

} // namespace framework
