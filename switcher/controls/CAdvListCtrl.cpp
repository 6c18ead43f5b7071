#include "switcher/controls/CAdvListCtrl.h"

#include "framework/SelectedObject.h"
#include "switcher/SwitcherIds.h"
#include "switcher/controls/HoverTracking.h"

namespace switcher {

CAdvListCtrl::~CAdvListCtrl() {
    if (current_.list == this) {
        current_.list = nullptr;
    }
}

bool CAdvListCtrl::Init(int id, HWND parent, IStream* image, int rows) {
    return Init(id, parent, BitmapFromStream(image), rows);
}

bool CAdvListCtrl::Init(int id, HWND parent, UniqueGpBitmap strip, int rows) {
    if (ImageWidth(strip.Get()) == 0 || !SubclassDlgItem(id, parent)) {
        return false;
    }
    model_.SetRows(rows);
    return SetStrip(std::move(strip));
}

bool CAdvListCtrl::SetStrip(UniqueGpBitmap strip) {
    const UINT width = ImageWidth(strip.Get());
    if (width == 0) {
        return false;
    }
    image_ = std::move(strip);
    columnWidth_ = static_cast<int>(width) / kColumns;
    rowHeight_ = static_cast<int>(ImageHeight(image_.Get()));
    FitToShownRows();
    layout_ = Gdiplus::RectF(0.0f, 0.0f, static_cast<Gdiplus::REAL>(columnWidth_),
                             static_cast<Gdiplus::REAL>(rowHeight_));
    Repaint();
    return true;
}

void CAdvListCtrl::SetTextStyle(Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format,
                                const Gdiplus::RectF& layout) {
    font_ = CloneFont(font);
    format_ = CloneStringFormat(format);
    layout_ = layout;
}

void CAdvListCtrl::AddRow(std::wstring text) {
    model_.Add(std::move(text));
    Repaint();
}

void CAdvListCtrl::SetActiveMark(int row) {
    if (model_.SetActiveMark(row)) {
        Repaint();
    }
}

void CAdvListCtrl::HighlightVisibleRow(int relative) {
    if (model_.HighlightVisibleRow(relative)) {
        Repaint();
    }
}

void CAdvListCtrl::Repaint() {
    if (Hwnd() != nullptr) {
        FitToShownRows();
        ::InvalidateRect(Hwnd(), nullptr, FALSE);
    }
}

void CAdvListCtrl::FitToShownRows() {
    // A row without an item draws nothing: the control covers only the rows that show one,
    // and the popup's own artwork shows where the others would be.
    const int height = rowHeight_ * model_.ShownRows();
    RECT rect{};
    ::GetWindowRect(Hwnd(), &rect);
    if (rect.bottom - rect.top != height || rect.right - rect.left != columnWidth_) {
        ::SetWindowPos(Hwnd(), nullptr, 0, 0, columnWidth_, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CAdvListCtrl::OnHover(int y) {
    const HoverOutcome outcome = model_.Hover(y, rowHeight_);
    if (outcome.ignored) {
        return;
    }
    if (outcome.becameActive) {
        CAdvListCtrl* previous = current_.list;
        if (previous != nullptr && previous != this && previous->Hwnd() != nullptr) {
            previous->Send(WM_ADVLIST_DEACTIVATE, reinterpret_cast<WPARAM>(Hwnd()));
        }
        current_.list = this;
    }
    if (outcome.repaint) {
        Repaint();
    }
}

LRESULT CAdvListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        TrackHoverAndLeave(Hwnd());
        return result;
    }
    case WM_MOUSEHOVER:
        OnHover(static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_MOUSELEAVE:
        Repaint();
        return 0;
    case WM_ADVLIST_DEACTIVATE:
        model_.Deactivate();
        Repaint();
        return 1;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_DESTROY: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        if (current_.list == this) {
            current_.list = nullptr;
        }
        ReleaseDrawing();
        return result;
    }
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

void CAdvListCtrl::ReleaseDrawing() {
    image_.Reset();
    format_.Reset();
    font_.Reset();
}

bool CAdvListCtrl::DrawItem(const DRAWITEMSTRUCT& item) {
    if (!image_) {
        return false;
    }
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    // Drawn off screen and copied in one go, so that a repaint never shows a half-drawn list.
    framework::UniqueDC memory(::CreateCompatibleDC(item.hDC));
    framework::UniqueBitmap bitmap(::CreateCompatibleBitmap(item.hDC, width, height));
    if (!memory || !bitmap) {
        return true;
    }
    {
        framework::SelectedObject selected(memory.Get(), bitmap.Get());
        UniqueGpGraphics graphics;
        if (gdip::GdipCreateFromHDC(memory.Get(), graphics.Put()) == Gdiplus::Ok) {
            DrawRows(graphics.Get());
            graphics.Reset(); // flushes the drawing into the bitmap before the copy
            ::BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, memory.Get(), 0, 0,
                     SRCCOPY);
        }
    }
    return true;
}

void CAdvListCtrl::DrawColumn(Gdiplus::GpGraphics* graphics, int column, int y) const {
    gdip::GdipDrawImageRectRectI(graphics, image_.Get(), 0, y, columnWidth_, rowHeight_,
                                 column * columnWidth_, 0, columnWidth_, rowHeight_,
                                 Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
}

void CAdvListCtrl::DrawRows(Gdiplus::GpGraphics* graphics) const {
    for (int row = 0; row < model_.Rows(); ++row) {
        const int y = row * rowHeight_;
        const RowLook look = model_.Look(row);
        if (!look.hasItem) {
            continue;
        }
        DrawColumn(graphics, 0, y);
        if (look.highlighted) {
            DrawColumn(graphics, 1, y);
        }
        if (look.marked) {
            DrawColumn(graphics, 2, y);
        }
        Gdiplus::RectF layout = layout_;
        layout.Y += static_cast<Gdiplus::REAL>(y);
        const std::wstring shown = ShortenRowText(model_.Item(look.item));
        DrawWhiteText(graphics, shown.c_str(), font_.Get(), layout, format_.Get());
    }
}

} // namespace switcher
