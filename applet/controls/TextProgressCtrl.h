// A progress bar drawn by us: a gradient between two bar colours, a background colour or
// brush, and a text (the position substituted into the window text) drawn in one colour over
// the filled part and in another over the rest. The text runs upwards when the control's font
// is rotated by 90 degrees.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Window.h"

namespace applet {

class TextProgressCtrl : public framework::Window {
public:
    TextProgressCtrl();

    // With a non-empty text and a non-zero mode, the style's text-mode bits become `mode` and
    // the window text `text`; otherwise both are cleared.
    void SetText(const std::string& text, DWORD mode);
    void SetBackgroundBrush(HBRUSH brush) { backgroundBrush_ = brush; }
    void SetTextColours(COLORREF overBar, COLORREF overBackground);

    COLORREF FirstColour() const { return first_; }
    COLORREF SecondColour() const { return second_; }
    COLORREF BackgroundColour() const { return background_; }
    // The text as drawn now.
    std::string DrawnText() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);
    void PaintBar(HDC dc, const RECT& client, RECT& filled);
    void PaintText(HDC dc, const RECT& client, const RECT& filled);
    void Redraw();

    COLORREF first_;
    COLORREF second_;
    COLORREF background_;
    HBRUSH backgroundBrush_ = nullptr;
    COLORREF textOverBar_;
    COLORREF textOverBackground_;
    int step_ = 10;
};

} // namespace applet
