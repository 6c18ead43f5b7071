#include "framework/WindowDpi.h"

#include "framework/DpiScale.h"
#include "framework/WindowDC.h"

namespace framework {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Bound by name: the programs also run on systems whose user32 lacks it.
GetDpiForWindowFn BoundGetDpiForWindow() {
    const HMODULE user32 = ::GetModuleHandleA("user32.dll");
    if (user32 == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")));
}

int ScreenDpi(HWND hwnd) {
    const WindowDC dc(hwnd);
    return dc ? ::GetDeviceCaps(dc.Get(), LOGPIXELSX) : kBaseDpi;
}

} // namespace

int WindowDpi(HWND hwnd) {
    const GetDpiForWindowFn getDpiForWindow = BoundGetDpiForWindow();
    int dpi = 0;
    if (getDpiForWindow != nullptr && hwnd != nullptr) {
        dpi = static_cast<int>(getDpiForWindow(hwnd));
    }
    // 0 is the answer for a window that is not valid.
    if (dpi == 0) {
        dpi = ScreenDpi(hwnd);
    }
    return ClampDpi(dpi);
}

int ScaleForWindow(HWND hwnd, int pixels) {
    return ScaleToDpi(pixels, WindowDpi(hwnd));
}

} // namespace framework
