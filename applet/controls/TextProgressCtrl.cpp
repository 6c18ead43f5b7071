#include "TextProgressCtrl.h"

#include <commctrl.h>

#include "applet/logic/ProgressRules.h"
#include "framework/PaintDC.h"
#include "framework/SelectedObject.h"
#include "framework/UniqueHandle.h"
#include "framework/WindowText.h"

namespace applet {

namespace {

bool Vertical(HWND hwnd) {
    return (::GetWindowLongPtrA(hwnd, GWL_STYLE) & PBS_VERTICAL) != 0;
}

} // namespace

TextProgressCtrl::TextProgressCtrl()
    : first_(::GetSysColor(COLOR_ACTIVECAPTION)), second_(::GetSysColor(COLOR_ACTIVECAPTION)),
      background_(::GetSysColor(COLOR_BTNFACE)), textOverBar_(::GetSysColor(COLOR_CAPTIONTEXT)),
      textOverBackground_(::GetSysColor(COLOR_BTNTEXT)) {}

void TextProgressCtrl::SetText(const std::string& text, DWORD mode) {
    LONG_PTR style = ::GetWindowLongPtrA(Hwnd(), GWL_STYLE) & ~static_cast<LONG_PTR>(kTextModeMask);
    std::string shown;
    if (!text.empty() && mode != 0) {
        style |= static_cast<LONG_PTR>(mode & kTextModeMask);
        shown = text;
    }
    ::SetWindowLongPtrA(Hwnd(), GWL_STYLE, style);
    framework::SetWindowText(Hwnd(), shown);
}

void TextProgressCtrl::SetTextColours(COLORREF overBar, COLORREF overBackground) {
    textOverBar_ = overBar;
    textOverBackground_ = overBackground;
}

std::string TextProgressCtrl::DrawnText() const {
    PBRANGE range{};
    Send(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const int position = static_cast<int>(Send(PBM_GETPOS));
    const auto mode = static_cast<std::uint32_t>(::GetWindowLongPtrA(Hwnd(), GWL_STYLE));
    return ProgressText(framework::WindowText(Hwnd()), mode,
                        PositionPercent(range.iLow, range.iHigh, position));
}

LRESULT TextProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        framework::PaintDC paint(Hwnd());
        Paint(paint.Get());
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case PBM_SETBARCOLOR: {
        const BarColours colours = BarColoursFrom(wParam, lParam);
        first_ = colours.first;
        second_ = colours.second;
        Redraw();
        return static_cast<LRESULT>(CLR_DEFAULT);
    }
    case PBM_SETBKCOLOR: {
        const COLORREF previous = background_;
        background_ = static_cast<COLORREF>(lParam);
        Redraw();
        return static_cast<LRESULT>(previous);
    }
    case PBM_SETSTEP: {
        const int previous = step_;
        step_ = static_cast<int>(wParam);
        DefaultProc(message, wParam, lParam);
        return previous;
    }
    case PBM_SETPOS:
    case PBM_DELTAPOS:
    case PBM_STEPIT: {
        const LRESULT previous = DefaultProc(message, wParam, lParam);
        Redraw();
        return previous;
    }
    case WM_SETTEXT: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        Redraw();
        return result;
    }
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

void TextProgressCtrl::Redraw() {
    ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

void TextProgressCtrl::Paint(HDC target) {
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    // Drawn off screen first, so the bar does not flicker on every position change.
    framework::UniqueDC memory(::CreateCompatibleDC(target));
    framework::UniqueBitmap bitmap(::CreateCompatibleBitmap(target, width, height));
    if (!memory || !bitmap) {
        return;
    }
    {
        framework::SelectedObject selectedBitmap(memory.Get(), bitmap.Get());
        RECT filled{};
        PaintBar(memory.Get(), client, filled);
        PaintText(memory.Get(), client, filled);
        ::BitBlt(target, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
    }
}

void TextProgressCtrl::PaintBar(HDC dc, const RECT& client, RECT& filled) {
    if (backgroundBrush_ != nullptr) {
        ::FillRect(dc, &client, backgroundBrush_);
    } else {
        framework::UniqueBrush brush(::CreateSolidBrush(background_));
        ::FillRect(dc, &client, brush.Get());
    }
    PBRANGE range{};
    Send(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const int position = static_cast<int>(Send(PBM_GETPOS));
    const bool vertical = Vertical(Hwnd());
    const int length = vertical ? client.bottom - client.top : client.right - client.left;
    const int done = FilledLength(range.iLow, range.iHigh, position, length);
    filled = client;
    if (vertical) {
        filled.top = client.bottom - done;
    } else {
        filled.right = client.left + done;
    }
    if (done <= 0) {
        return;
    }
    const bool lowColour = (::GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) == 0 &&
                           ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES) < 8;
    const int bands = BandCount(first_, second_, done, lowColour);
    for (int i = 0; i < bands; ++i) {
        RECT band = filled;
        const int from = BandStart(i, bands, done);
        const int to = BandStart(i + 1, bands, done);
        if (vertical) {
            // The bar grows upwards: its first colour sits at the bottom.
            band.bottom = client.bottom - from;
            band.top = client.bottom - to;
        } else {
            band.left = client.left + from;
            band.right = client.left + to;
        }
        framework::UniqueBrush brush(::CreateSolidBrush(BandColour(first_, second_, i, bands)));
        ::FillRect(dc, &band, brush.Get());
    }
}

void TextProgressCtrl::PaintText(HDC dc, const RECT& client, const RECT& filled) {
    const std::string text = DrawnText();
    if (text.empty()) {
        return;
    }
    const auto font = reinterpret_cast<HFONT>(Send(WM_GETFONT));
    framework::SelectedObject selectedFont(
        dc, font != nullptr ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA logFont{};
    const bool rotated = font != nullptr && ::GetObjectA(font, sizeof(logFont), &logFont) != 0 &&
                         logFont.lfEscapement == 900;
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    const int centreX = (client.left + client.right) / 2;
    const int centreY = (client.top + client.bottom) / 2;
    POINT at{};
    if (rotated) {
        // Text at 90 degrees runs upwards from its reference point and its cell lies to the
        // right of it: start below the centre by half the length, left of it by half the height.
        at = POINT{centreX - extent.cy / 2, centreY + extent.cx / 2};
    } else {
        at = POINT{centreX - extent.cx / 2, centreY - extent.cy / 2};
    }
    ::SetBkMode(dc, TRANSPARENT);
    RECT rest = client;
    if (Vertical(Hwnd())) {
        rest.bottom = filled.top;
    } else {
        rest.left = filled.right;
    }
    // Twice through two clip regions: over the filled part and over the rest.
    const std::pair<const RECT*, COLORREF> parts[] = {{&filled, textOverBar_},
                                                      {&rest, textOverBackground_}};
    for (const auto& [part, colour] : parts) {
        if (part->right <= part->left || part->bottom <= part->top) {
            continue;
        }
        framework::UniqueGdiObject region(::CreateRectRgnIndirect(part));
        ::SelectClipRgn(dc, static_cast<HRGN>(region.Get()));
        ::SetTextColor(dc, colour);
        ::TextOutA(dc, at.x, at.y, text.c_str(), static_cast<int>(text.size()));
    }
    ::SelectClipRgn(dc, nullptr);
}

} // namespace applet
