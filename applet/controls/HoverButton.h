// An owner-drawn icon button that lights up while the mouse is over it: a flat button shows
// its three-dimensional frame only while hovered or pressed. Optional hover icon, cursor and
// tooltip; four colours (background and text while hovered or pressed, and otherwise).
#pragma once

#include <windows.h>

#include <string>

#include "framework/UniqueHandle.h"
#include "framework/Window.h"

namespace applet {

class HoverButton : public framework::Window {
public:
    enum ColourSlot { kHoverBackground = 0, kHoverText = 1, kBackground = 2, kText = 3 };

    HoverButton();
    ~HoverButton() override;

    // Both loaded as icons (hover 0: none), then the button is redrawn.
    bool SetIcons(UINT normalId, UINT hoverId = 0);
    bool SetTooltip(UINT stringId, bool active = true);
    // 0 on success; slot 4 or above is refused with 3.
    int SetColour(int slot, COLORREF colour, bool repaint = true);
    int GetColour(int slot, COLORREF& colour) const;
    void SetCursor(UINT resourceId);
    void SetFlat(bool flat);
    void SetBorder(bool border);
    // 0 left, 1 centre, 2 right of the icon; other values are ignored.
    void SetAlignment(int alignment);

    // While the left button is held the parent gets a click every `period` ms, and one more
    // on release when their count is odd (a click released before the first period is one
    // plain click).
    void SetAutoRepeat(bool on, UINT period = 100);
    // A file, program or address opened with the shell's "open" at every click (up to 260
    // characters; empty: none).
    void SetOpenTarget(const std::string& target);

    bool Hovered() const { return hovered_; }
    int Alignment() const { return alignment_; }
    HWND Tooltip() const { return tooltip_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool DrawItem(const DRAWITEMSTRUCT& item) override;
    bool OnReflectedCommand(UINT code) override;

private:
    struct IconImage {
        framework::UniqueIcon icon;
        SIZE size{};
    };

    static bool LoadIconImage(UINT id, IconImage& image);
    void OnMouseMove(POINT at);
    void ClearHover();
    // Two lines of `line` pixels each, the rectangle shrunk inside them.
    void DrawFrame(HDC dc, RECT& rect, bool pressed, int line) const;
    void SendClick();
    void OnRepeatTimer();
    LRESULT EndRepeat();

    static constexpr UINT_PTR kRepeatTimer = 1;

    IconImage normal_;
    IconImage hover_;
    framework::UniqueHandle<framework::NullHandleTraits<HCURSOR, ::DestroyCursor>> cursor_;
    HWND tooltip_ = nullptr;
    bool hovered_ = false;
    bool flat_ = true;
    bool border_ = true;
    int alignment_ = 1;
    COLORREF colours_[4];
    bool autoRepeat_ = false;
    UINT repeatPeriod_ = 100;
    bool repeating_ = false;
    int repeatCount_ = 0;
    std::string openTarget_;
};

} // namespace applet
