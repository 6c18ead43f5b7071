// The battery indicator: a picture with one line of white text under it. Takes over item 1101
// of the popup; the base picture (given at start) lies under the current one.
#pragma once

#include <windows.h>

#include "framework/Window.h"
#include "switcher/SwitcherIds.h"
#include "switcher/controls/GdiplusHandles.h"

namespace switcher {

class CImage : public framework::Window {
public:
    static constexpr int kItemId = IDC_BATTERY_IMAGE;
    static constexpr int kTextCapacity = 1024;

    CImage() = default;

    // Takes `picture` as the base picture and item 1101 of `parent`, sized to the picture.
    // Fails, keeping nothing, for a picture without width.
    bool Init(UniqueGpBitmap picture, HWND parent);
    // Another base picture (one of another DPI): the control takes its size; false (the old one
    // kept) when it is null.
    bool SetBase(UniqueGpBitmap picture);
    // Replaces the current picture; one without width counts as none. `redraw` false leaves the
    // painting to a SetText that follows, so that both show in one paint.
    void SetPicture(UniqueGpBitmap picture, bool redraw = true);
    void SetTextStyle(Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format,
                      const Gdiplus::RectF& layout);
    // The text is the window text.
    void SetText(const wchar_t* text);

    bool HasPicture() const { return static_cast<bool>(picture_); }
    Gdiplus::GpBitmap* Picture() const { return picture_.Get(); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Redraw();
    void Paint(HDC dc);
    void DrawPicture(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* picture) const;

    UniqueGpBitmap base_;
    UniqueGpBitmap picture_;
    Gdiplus::RectF layout_;
    UniqueGpStringFormat format_;
    UniqueGpFont font_;
};

} // namespace switcher
