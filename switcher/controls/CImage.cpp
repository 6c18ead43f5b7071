#include "switcher/controls/CImage.h"

#include "framework/PaintDC.h"

namespace switcher {

bool CImage::Init(UniqueGpBitmap picture, HWND parent) {
    if (ImageWidth(picture.Get()) == 0 || !SubclassDlgItem(kItemId, parent)) {
        return false;
    }
    return SetBase(std::move(picture));
}

bool CImage::SetBase(UniqueGpBitmap picture) {
    const UINT width = ImageWidth(picture.Get());
    const UINT height = ImageHeight(picture.Get());
    if (width == 0) {
        return false;
    }
    base_ = std::move(picture);
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, static_cast<int>(width), static_cast<int>(height),
                   SWP_NOMOVE | SWP_NOZORDER);
    layout_ = Gdiplus::RectF(0.0f, 0.0f, static_cast<Gdiplus::REAL>(width),
                             static_cast<Gdiplus::REAL>(height));
    return true;
}

void CImage::SetPicture(UniqueGpBitmap picture, bool redraw) {
    if (ImageWidth(picture.Get()) == 0) {
        picture.Reset();
    }
    picture_ = std::move(picture);
    if (redraw) {
        Redraw();
    }
}

void CImage::Redraw() {
    if (Hwnd() == nullptr) {
        return;
    }
    // Painted now rather than through the message queue: the popup counts every queued message
    // as activity, and the indicator changes on its own at every tick of the popup's timer.
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
    ::UpdateWindow(Hwnd());
}

void CImage::SetTextStyle(Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format,
                          const Gdiplus::RectF& layout) {
    font_ = CloneFont(font);
    format_ = CloneStringFormat(format);
    layout_ = layout;
}

void CImage::SetText(const wchar_t* text) {
    if (Hwnd() == nullptr) {
        return;
    }
    ::SetWindowTextW(Hwnd(), text != nullptr ? text : L"");
    Redraw();
}

LRESULT CImage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        UniqueGpGraphics graphics;
        if (gdip::GdipCreateFromHDC(reinterpret_cast<HDC>(wParam), graphics.Put()) == Gdiplus::Ok) {
            DrawPicture(graphics.Get(), base_.Get());
        }
        return TRUE;
    }
    case WM_PAINT: {
        framework::PaintDC dc(Hwnd());
        if (dc) {
            Paint(dc.Get());
        }
        return 0;
    }
    case WM_DESTROY:
        base_.Reset();
        picture_.Reset();
        format_.Reset();
        font_.Reset();
        return DefaultProc(message, wParam, lParam);
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

void CImage::DrawPicture(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* picture) const {
    if (picture == nullptr) {
        return;
    }
    gdip::GdipDrawImageRectI(graphics, picture, 0, 0, static_cast<INT>(ImageWidth(picture)),
                             static_cast<INT>(ImageHeight(picture)));
}

void CImage::Paint(HDC dc) {
    // Without a current picture the erased background (the base picture) is all there is.
    if (!picture_) {
        return;
    }
    UniqueGpGraphics graphics;
    if (gdip::GdipCreateFromHDC(dc, graphics.Put()) != Gdiplus::Ok) {
        return;
    }
    DrawPicture(graphics.Get(), base_.Get());
    DrawPicture(graphics.Get(), picture_.Get());
    wchar_t text[kTextCapacity] = L"";
    ::GetWindowTextW(Hwnd(), text, kTextCapacity);
    DrawWhiteText(graphics.Get(), text, font_.Get(), layout_, format_.Get());
}

} // namespace switcher
