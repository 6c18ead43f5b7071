#include "HoverButton.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "applet/logic/ProgressRules.h"
#include "framework/IconLoad.h"
#include "framework/Module.h"
#include "framework/WindowDpi.h"
#include "framework/WindowText.h"

namespace applet {

HoverButton::HoverButton()
    : colours_{::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_BTNTEXT),
               ::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_BTNTEXT)} {}

HoverButton::~HoverButton() {
    if (tooltip_ != nullptr) {
        ::DestroyWindow(tooltip_);
    }
}

bool HoverButton::LoadIconImage(UINT id, IconImage& image) {
    image.icon.Reset();
    image.size = SIZE{};
    if (id == 0) {
        return false;
    }
    image.icon =
        framework::LoadIconAtSize(framework::ModuleInstance(), id, framework::LargeIconSize());
    if (!image.icon) {
        return false;
    }
    // An icon's hotspot is its centre, so twice the hotspot is its size.
    ICONINFO info{};
    if (::GetIconInfo(image.icon.Get(), &info)) {
        image.size =
            SIZE{static_cast<LONG>(info.xHotspot * 2), static_cast<LONG>(info.yHotspot * 2)};
        if (info.hbmMask != nullptr) {
            ::DeleteObject(info.hbmMask);
        }
        if (info.hbmColor != nullptr) {
            ::DeleteObject(info.hbmColor);
        }
    }
    return true;
}

bool HoverButton::SetIcons(UINT normalId, UINT hoverId) {
    const bool loaded = LoadIconImage(normalId, normal_);
    LoadIconImage(hoverId, hover_);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
    return loaded;
}

bool HoverButton::SetTooltip(UINT stringId, bool active) {
    if (tooltip_ == nullptr) {
        tooltip_ =
            ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Hwnd(),
                              nullptr, framework::ModuleInstance(), nullptr);
        if (tooltip_ == nullptr) {
            return false;
        }
    }
    std::string text = framework::LoadText(stringId);
    TOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = ::GetParent(Hwnd());
    tool.uId = reinterpret_cast<UINT_PTR>(Hwnd());
    tool.lpszText = text.data();
    ::SendMessageA(tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    const bool added =
        ::SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    ::SendMessageA(tooltip_, TTM_ACTIVATE, active ? TRUE : FALSE, 0);
    return added;
}

int HoverButton::SetColour(int slot, COLORREF colour, bool repaint) {
    if (slot < 0 || slot >= kColourSlots) {
        return kBadColourSlot;
    }
    colours_[slot] = colour;
    if (repaint) {
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
    }
    return 0;
}

int HoverButton::GetColour(int slot, COLORREF& colour) const {
    if (slot < 0 || slot >= kColourSlots) {
        return kBadColourSlot;
    }
    colour = colours_[slot];
    return 0;
}

void HoverButton::SetCursor(UINT resourceId) {
    cursor_.Reset();
    if (resourceId != 0) {
        cursor_.Reset(static_cast<HCURSOR>(::LoadImageA(framework::ModuleInstance(),
                                                        MAKEINTRESOURCEA(resourceId), IMAGE_CURSOR,
                                                        0, 0, LR_DEFAULTSIZE)));
    }
}

void HoverButton::SetFlat(bool flat) {
    flat_ = flat;
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void HoverButton::SetBorder(bool border) {
    border_ = border;
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void HoverButton::SetAlignment(int alignment) {
    alignment_ = AlignmentAfter(alignment_, alignment);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void HoverButton::SetAutoRepeat(bool on, UINT period) {
    autoRepeat_ = on;
    repeatPeriod_ = period;
}

void HoverButton::SetOpenTarget(const std::string& target) {
    openTarget_ = target.substr(0, MAX_PATH);
}

void HoverButton::SendClick() {
    ::SendMessageA(::GetParent(Hwnd()), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(Hwnd()), BN_CLICKED),
                   reinterpret_cast<LPARAM>(Hwnd()));
}

void HoverButton::OnRepeatTimer() {
    // Held means the button still shows pressed and still has the mouse.
    const bool held = (Send(BM_GETSTATE) & BST_PUSHED) != 0 && ::GetCapture() == Hwnd();
    if (!held) {
        KillTimer(kRepeatTimer);
        return;
    }
    ++repeatCount_;
    SendClick();
}

LRESULT HoverButton::EndRepeat() {
    KillTimer(kRepeatTimer);
    repeating_ = false;
    // The button's own release would click once more whatever the count: it is let go here.
    const bool pressed = (Send(BM_GETSTATE) & BST_PUSHED) != 0;
    Send(BM_SETSTATE, FALSE);
    if (::GetCapture() == Hwnd()) {
        ::ReleaseCapture();
    }
    if (pressed && (repeatCount_ == 0 || repeatCount_ % 2 != 0)) {
        SendClick();
    }
    return 0;
}

bool HoverButton::OnReflectedCommand(UINT code) {
    if (code == BN_CLICKED && !openTarget_.empty()) {
        ::ShellExecuteA(::GetParent(Hwnd()), "open", openTarget_.c_str(), nullptr, nullptr,
                        SW_SHOWNORMAL);
    }
    return false; // the parent sees the click as well
}

void HoverButton::OnMouseMove(POINT at) {
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    const bool inside = ::PtInRect(&client, at) != FALSE;
    if (inside && !hovered_) {
        // Only while the button's window is active and nobody else tracks the mouse.
        const HWND capture = ::GetCapture();
        if (::GetActiveWindow() != ::GetAncestor(Hwnd(), GA_ROOT) ||
            (capture != nullptr && capture != Hwnd())) {
            return;
        }
        hovered_ = true;
        ::SetCapture(Hwnd());
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
    } else if (!inside && hovered_) {
        hovered_ = false;
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
        // While the left button is down the button's own tracking keeps the capture.
        if (::GetCapture() == Hwnd() && (::GetKeyState(VK_LBUTTON) & 0x8000) == 0) {
            ::ReleaseCapture();
        }
    }
}

void HoverButton::ClearHover() {
    if (!hovered_) {
        return;
    }
    hovered_ = false;
    if (::GetCapture() == Hwnd()) {
        ::ReleaseCapture();
    }
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

LRESULT HoverButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        OnMouseMove(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (autoRepeat_) {
            const LRESULT result = DefaultProc(message, wParam, lParam);
            repeating_ = true;
            repeatCount_ = 0;
            SetTimer(kRepeatTimer, repeatPeriod_);
            return result;
        }
        return Window::WindowProc(message, wParam, lParam);
    case WM_TIMER:
        if (wParam == kRepeatTimer) {
            OnRepeatTimer();
            return 0;
        }
        return Window::WindowProc(message, wParam, lParam);
    case WM_LBUTTONUP: {
        if (repeating_) {
            return EndRepeat();
        }
        // The button's click comes from its own release handling; the hover capture ends
        // after it unless the mouse is still over the button.
        const LRESULT result = DefaultProc(message, wParam, lParam);
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        RECT client{};
        ::GetClientRect(Hwnd(), &client);
        if (hovered_ && ::PtInRect(&client, at) && ::GetCapture() != Hwnd()) {
            ::SetCapture(Hwnd());
        }
        return result;
    }
    case WM_CAPTURECHANGED:
        if (hovered_ && reinterpret_cast<HWND>(lParam) != Hwnd()) {
            hovered_ = false;
            ::InvalidateRect(Hwnd(), nullptr, TRUE);
        }
        return DefaultProc(message, wParam, lParam);
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
        if (flat_) {
            ClearHover();
        }
        return DefaultProc(message, wParam, lParam);
    case WM_ACTIVATE:
        if (flat_ && LOWORD(wParam) == WA_INACTIVE) {
            ClearHover();
        }
        return DefaultProc(message, wParam, lParam);
    case WM_ENABLE:
        if (flat_ && wParam == FALSE) {
            ClearHover();
        }
        return DefaultProc(message, wParam, lParam);
    case WM_SETCURSOR:
        if (cursor_) {
            ::SetCursor(cursor_.Get());
            return TRUE;
        }
        return DefaultProc(message, wParam, lParam);
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

void HoverButton::DrawFrame(HDC dc, RECT& rect, bool pressed, int line) const {
    // Outer and inner lines: highlight and light on the lit sides, dark shadow and shadow on
    // the others; swapped while pressed.
    const int outerLit = pressed ? COLOR_3DDKSHADOW : COLOR_3DHILIGHT;
    const int outerDark = pressed ? COLOR_3DHILIGHT : COLOR_3DDKSHADOW;
    const int innerLit = pressed ? COLOR_BTNSHADOW : COLOR_3DLIGHT;
    const int innerDark = pressed ? COLOR_3DLIGHT : COLOR_BTNSHADOW;
    auto lines = [&](int lit, int dark) {
        framework::UniqueBrush litBrush(::CreateSolidBrush(::GetSysColor(lit)));
        framework::UniqueBrush darkBrush(::CreateSolidBrush(::GetSysColor(dark)));
        RECT side{rect.left, rect.top, rect.right, rect.top + line};
        ::FillRect(dc, &side, litBrush.Get());
        side = RECT{rect.left, rect.top, rect.left + line, rect.bottom};
        ::FillRect(dc, &side, litBrush.Get());
        side = RECT{rect.left, rect.bottom - line, rect.right, rect.bottom};
        ::FillRect(dc, &side, darkBrush.Get());
        side = RECT{rect.right - line, rect.top, rect.right, rect.bottom};
        ::FillRect(dc, &side, darkBrush.Get());
        ::InflateRect(&rect, -line, -line);
    };
    lines(outerLit, outerDark);
    lines(innerLit, innerDark);
}

bool HoverButton::DrawItem(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool lit = hovered_ || pressed;
    // Lines, margins and the pressed shift are one pixel each at 96 dpi.
    const int unit = framework::ScaleForWindow(item.hwndItem, 1);
    framework::UniqueBrush background(
        ::CreateSolidBrush(colours_[lit ? kHoverBackground : kBackground]));
    ::FillRect(dc, &rect, background.Get());
    if (border_ && (!flat_ || lit)) {
        DrawFrame(dc, rect, pressed, unit);
    } else {
        ::InflateRect(&rect, -2 * unit, -2 * unit);
    }
    const IconImage& image = hovered_ && hover_.icon ? hover_ : normal_;
    if (image.icon) {
        const int width = image.size.cx > 0 ? image.size.cx : ::GetSystemMetrics(SM_CXICON);
        const int height = image.size.cy > 0 ? image.size.cy : ::GetSystemMetrics(SM_CYICON);
        int x = rect.left + unit;
        if (alignment_ == 1) {
            x = (rect.left + rect.right - width) / 2;
        } else if (alignment_ == 2) {
            x = rect.right - width - unit;
        }
        int y = (rect.top + rect.bottom - height) / 2;
        if (pressed) {
            x += unit;
            y += unit;
        }
        ::DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(image.icon.Get()), 0, x, y,
                     width, height, DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
    }
    if (focused) {
        RECT focus = rect;
        ::InflateRect(&focus, -unit, -unit);
        ::DrawFocusRect(dc, &focus);
    }
    return true;
}

} // namespace applet
