// The DC of one WM_PAINT: BeginPaint on construction, EndPaint (which validates the update
// region) when the scope ends.
#pragma once

#include <windows.h>

namespace framework {

class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &paint_)) {}
    ~PaintDC() {
        if (dc_ != nullptr) {
            ::EndPaint(hwnd_, &paint_);
        }
    }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    const PAINTSTRUCT& Paint() const { return paint_; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

} // namespace framework
