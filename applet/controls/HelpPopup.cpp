#include "HelpPopup.h"

#include <htmlhelp.h>

#include <algorithm>
#include <string>

#include "framework/Module.h"
#include "framework/PaintDC.h"
#include "framework/SelectedObject.h"
#include "framework/Trace.h"
#include "framework/UniqueHandle.h"
#include "framework/Window.h"
#include "framework/WindowDpi.h"
#include "framework/WindowText.h"

namespace applet {

namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

const char kHelpClsidKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const char kPopupClass[] = "VumoHelpText";

// The help engine, bound at first use and kept until the Control Panel lets the applet go;
// a failed binding is remembered so that later requests go straight to our own popup.
class HelpEngine {
public:
    HtmlHelpFn Get() {
        if (!tried_) {
            tried_ = true;
            Bind();
        }
        return htmlHelp_;
    }

    // Its popups go first: their windows run the engine's code.
    void Release() {
        if (htmlHelp_ != nullptr) {
            htmlHelp_(nullptr, nullptr, HH_CLOSE_ALL, 0);
        }
        htmlHelp_ = nullptr;
        module_.Reset();
        tried_ = false;
    }

private:
    void Bind() {
        char path[MAX_PATH] = {};
        LONG size = sizeof(path);
        if (::RegQueryValueA(HKEY_CLASSES_ROOT, kHelpClsidKey, path, &size) == ERROR_SUCCESS &&
            path[0] != '\0') {
            module_.Reset(::LoadLibraryA(path));
        }
        if (!module_) {
            module_.Reset(::LoadLibraryA("hhctrl.ocx"));
        }
        // HtmlHelpA is exported by ordinal 14.
        htmlHelp_ = framework::ProcAddress<HtmlHelpFn>(module_.Get(), MAKEINTRESOURCEA(14));
        if (htmlHelp_ == nullptr) {
            framework::Trace("Vumo: help engine not available, error %lu\n", ::GetLastError());
            module_.Reset();
        }
    }

    bool tried_ = false;
    framework::UniqueModule module_;
    HtmlHelpFn htmlHelp_ = nullptr;
};

HelpEngine gEngine;

// Our popup: sized to its text, kept on the screen, gone at the first click, key or loss of
// activation.
class TextPopup : public framework::Window {
public:
    // `margin` and `wrapWidth` in pixels at the owner's DPI.
    bool Open(HWND owner, const std::string& text, POINT at, int margin, int wrapWidth) {
        text_ = text;
        margin_ = margin;
        wrapWidth_ = wrapWidth;
        if (!Register()) {
            return false;
        }
        font_ = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
        RECT textRect = MeasureText();
        // The border is one pixel at any DPI.
        const int width = textRect.right + 2 * margin_ + 2;
        const int height = textRect.bottom + 2 * margin_ + 2;
        const HMONITOR monitor = ::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST);
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        ::GetMonitorInfoA(monitor, &info);
        const RECT& work = info.rcWork;
        at.x = std::max(work.left, std::min(at.x, work.right - width));
        at.y = std::max(work.top, std::min(at.y, work.bottom - height));
        framework::CreateOptions options;
        options.style = WS_POPUP | WS_BORDER;
        options.exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
        options.x = at.x;
        options.y = at.y;
        options.width = width;
        options.height = height;
        options.parent = owner;
        if (!Create(kPopupClass, "", options)) {
            return false;
        }
        open_ = true;
        ::ShowWindow(Hwnd(), SW_SHOWNA);
        ::SetCapture(Hwnd());
        return true;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_CAPTURECHANGED:
        case WM_CANCELMODE:
            if (message != WM_CAPTURECHANGED || reinterpret_cast<HWND>(lParam) != Hwnd()) {
                Close();
            }
            return 0;
        default:
            return Window::WindowProc(message, wParam, lParam);
        }
    }

    // Once open the popup owns itself; before that its maker still does.
    void PostNcDestroy() override {
        if (open_) {
            delete this;
        }
    }

private:
    static bool Register() {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        if (::GetClassInfoExA(framework::ModuleInstance(), kPopupClass, &wc)) {
            return true;
        }
        wc.cbSize = sizeof(wc);
        wc.style = CS_SAVEBITS | CS_DROPSHADOW;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = framework::ModuleInstance();
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kPopupClass;
        return ::RegisterClassExA(&wc) != 0;
    }

    RECT MeasureText() const {
        RECT rect{0, 0, wrapWidth_, 0};
        const HDC dc = ::GetDC(nullptr);
        {
            framework::SelectedObject font(dc, font_);
            ::DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &rect,
                        DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        }
        ::ReleaseDC(nullptr, dc);
        return rect;
    }

    void Paint() {
        framework::PaintDC paint(Hwnd());
        RECT client{};
        ::GetClientRect(Hwnd(), &client);
        framework::UniqueBrush background(::CreateSolidBrush(kHelpBackground));
        ::FillRect(paint.Get(), &client, background.Get());
        ::InflateRect(&client, -margin_, -margin_);
        framework::SelectedObject font(paint.Get(), font_);
        ::SetBkMode(paint.Get(), TRANSPARENT);
        ::SetTextColor(paint.Get(), ::GetSysColor(COLOR_INFOTEXT));
        ::DrawTextA(paint.Get(), text_.c_str(), static_cast<int>(text_.size()), &client,
                    DT_WORDBREAK | DT_NOPREFIX);
    }

    void Close() {
        if (::GetCapture() == Hwnd()) {
            ::ReleaseCapture();
        }
        Destroy();
    }

    std::string text_;
    HFONT font_ = nullptr;
    int margin_ = kHelpMargin;
    int wrapWidth_ = kHelpWrapWidth;
    bool open_ = false;
};

HWND gPopup = nullptr;

} // namespace

HWND HelpPopupWindow() {
    if (gPopup != nullptr && !::IsWindow(gPopup)) {
        gPopup = nullptr;
    }
    return gPopup;
}

bool ShowHelpText(HWND owner, UINT stringId, POINT at) {
    std::string text = framework::LoadText(stringId);
    if (text.empty()) {
        return false;
    }
    if (HWND previous = HelpPopupWindow()) {
        ::DestroyWindow(previous);
    }
    const int margin = framework::ScaleForWindow(owner, kHelpMargin);
    if (const HtmlHelpFn htmlHelp = gEngine.Get()) {
        HH_POPUP popup{};
        popup.cbStruct = sizeof(popup);
        popup.hinst = nullptr;
        popup.idString = 0;
        popup.pszText = text.c_str();
        popup.pt = at;
        popup.clrForeground = static_cast<COLORREF>(-1);
        popup.clrBackground = kHelpBackground;
        popup.rcMargins = RECT{margin, margin, margin, margin};
        popup.pszFont = nullptr;
        if (htmlHelp(owner, nullptr, HH_DISPLAY_TEXT_POPUP, reinterpret_cast<DWORD_PTR>(&popup)) !=
            nullptr) {
            return true;
        }
    }
    auto* window = new TextPopup();
    if (!window->Open(owner, text, at, margin, framework::ScaleForWindow(owner, kHelpWrapWidth))) {
        delete window;
        return false;
    }
    gPopup = window->Hwnd();
    return true;
}

void ReleaseHelpEngine() {
    if (const HWND popup = HelpPopupWindow()) {
        ::DestroyWindow(popup);
    }
    gEngine.Release();
}

bool ShowHelpFor(HWND owner, const HELPINFO& help, UINT stringId) {
    return ShowHelpText(owner, stringId, help.MousePos);
}

} // namespace applet
