// A window's client DC for drawing outside WM_PAINT: GetDC now, ReleaseDC when the scope ends
// (the DC comes from a shared cache, so it must go back).
#pragma once

#include <windows.h>

namespace framework {

class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDC() {
        if (dc_ != nullptr) {
            ::ReleaseDC(hwnd_, dc_);
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

} // namespace framework
