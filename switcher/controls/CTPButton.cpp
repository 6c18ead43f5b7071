#include "switcher/controls/CTPButton.h"

#include "switcher/controls/GdiplusHandles.h"
#include "switcher/controls/HoverTracking.h"

namespace switcher {

CTPButton::~CTPButton() {
    // The worker draws from the image: it stops before the image goes.
    ReleaseImage();
}

bool CTPButton::Init(int id, HWND parent, IStream* image, int states) {
    return Init(id, parent, BitmapFromStream(image), states);
}

bool CTPButton::Init(int id, HWND parent, UniqueGpBitmap strip, int states) {
    if (ImageWidth(strip.Get()) == 0 || states <= 0 || !SubclassDlgItem(id, parent)) {
        return false;
    }
    states_ = states;
    const bool ok = SetStrip(std::move(strip));
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    return ok;
}

bool CTPButton::SetStrip(UniqueGpBitmap strip) {
    const UINT width = ImageWidth(strip.Get());
    if (width == 0 || states_ <= 0) {
        return false;
    }
    animation_.Destroy();
    image_ = std::move(strip);
    stripWidth_ = static_cast<int>(width);
    height_ = static_cast<int>(ImageHeight(image_.Get()));
    stateWidth_ = stripWidth_ / states_;
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, stateWidth_, height_, SWP_NOMOVE | SWP_NOZORDER);
    animation_.Start(Hwnd(), image_.Get());
    return true;
}

void CTPButton::ReleaseImage() {
    animation_.Destroy();
    image_.Reset();
}

void CTPButton::Repaint() {
    ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

LRESULT CTPButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A double click is not a second press. A disabled button only paints; its clean-up still
    // runs, or the animation would outlive the window.
    if (message == WM_LBUTTONDBLCLK ||
        (disabled_ && message != WM_PAINT && message != WM_DESTROY)) {
        message = WM_NULL;
    }
    switch (message) {
    case WM_MOUSEMOVE: {
        if (ToggledOn() || (wParam & MK_LBUTTON) != 0) {
            return 0;
        }
        const LRESULT result = DefaultProc(message, wParam, lParam);
        if (state_ != kHover) {
            TrackHoverAndLeave(Hwnd());
            Repaint();
        }
        return result;
    }
    case WM_MOUSEHOVER:
        if (!ToggledOn()) {
            state_ = kHover;
            Repaint();
        }
        return 0;
    case WM_MOUSELEAVE:
        if (!ToggledOn()) {
            state_ = kNormal;
            Repaint();
        }
        return 0;
    case WM_LBUTTONDOWN: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        checked_ = !checked_;
        state_ = (toggle_ && !checked_) ? kNormal : kPressed;
        Repaint();
        return result;
    }
    case WM_LBUTTONUP: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        if (!toggle_) {
            state_ = kNormal;
        }
        Repaint();
        return result;
    }
    case WM_SETTEXT:
        DrawTextIntoStrip(reinterpret_cast<const wchar_t*>(lParam));
        Repaint();
        return TRUE;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_DESTROY:
        ReleaseImage();
        return DefaultProc(message, wParam, lParam);
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

bool CTPButton::DrawItem(const DRAWITEMSTRUCT& item) {
    if (!image_) {
        return false;
    }
    framework::CriticalSectionLock hold(animation_.Lock());
    if (!toggle_ && !disabled_ && (item.itemState & ODS_SELECTED) != 0) {
        state_ = kPressed;
    }
    UniqueGpGraphics graphics;
    if (gdip::GdipCreateFromHDC(item.hDC, graphics.Put()) != Gdiplus::Ok) {
        return true;
    }
    gdip::GdipDrawImageRectRectI(graphics.Get(), image_.Get(), 0, 0, stateWidth_, height_,
                                 state_ * stateWidth_, 0, stateWidth_, height_, Gdiplus::UnitPixel,
                                 nullptr, nullptr, nullptr);
    return true;
}

void CTPButton::DrawTextIntoStrip(const wchar_t* text) {
    if (!image_ || text == nullptr || stateWidth_ <= 0) {
        return;
    }
    framework::CriticalSectionLock hold(animation_.Lock());
    UniqueGpGraphics graphics;
    if (gdip::GdipGetImageGraphicsContext(image_.Get(), graphics.Put()) != Gdiplus::Ok) {
        return;
    }
    UniqueGpFont font =
        MakeFont(L"Times New Roman", 16.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    UniqueGpStringFormat format = MakeStringFormat();
    gdip::GdipSetStringFormatAlign(format.Get(), Gdiplus::StringAlignmentCenter);
    gdip::GdipSetStringFormatLineAlign(format.Get(), Gdiplus::StringAlignmentCenter);
    for (int column = 0; column * stateWidth_ < stripWidth_; ++column) {
        const Gdiplus::RectF cell(static_cast<Gdiplus::REAL>(column * stateWidth_), 0.0f,
                                  static_cast<Gdiplus::REAL>(stateWidth_),
                                  static_cast<Gdiplus::REAL>(height_));
        DrawWhiteText(graphics.Get(), text, font.Get(), cell, format.Get());
    }
}

} // namespace switcher
