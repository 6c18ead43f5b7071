// A C++ object bound to one window. The window is either created here (from any registered
// class, also one whose procedure is DefWindowProc) or an existing one is subclassed, such as a
// dialog control. One static window procedure finds the object and calls its virtual
// WindowProc; notifications a parent receives from a child that has an object of its own are
// first offered to that child (reflection), so a control class owns its behaviour.
//
// The window keeps its text kind: a window made by the ...A functions stays an ANSI window and
// its handlers see char text; one made by the ...W functions sees wchar_t text.
#pragma once

#include <windows.h>

#include "framework/CommandState.h"

namespace framework {

struct CreateOptions {
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
    HWND parent = nullptr; // HWND_MESSAGE for a message-only window
    HMENU menu = nullptr;  // or, for a child window, its control id
};

// One message of a loop on its way: translated, then dispatched as narrow or wide text.
void TranslateAndDispatch(const MSG& message, bool wide);

class Window {
public:
    Window() = default;
    // A window this object created is destroyed with it; a subclassed one is handed back.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The object sees every message from WM_NCCREATE on; WM_CREATE may refuse with -1.
    // The window's instance is ModuleInstance().
    bool Create(const char* className, const char* title, const CreateOptions& options);
    bool Create(const wchar_t* className, const wchar_t* title, const CreateOptions& options);
    bool Subclass(HWND hwnd);
    bool SubclassDlgItem(int id, HWND parent);
    // Hands the window back to the procedure it had; the object no longer sees its messages.
    HWND Detach();
    bool Destroy();

    HWND Hwnd() const { return hwnd_; }
    bool IsUnicode() const { return unicode_; }
    static Window* FromHandle(HWND hwnd);

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool SetTimer(UINT_PTR id, UINT milliseconds);
    bool KillTimer(UINT_PTR id);

    // Sees a queued message before it is translated and dispatched; true consumes it.
    virtual bool PreTranslateMessage(MSG& message);
    // Asked for every command of a menu this window owns before the menu shows.
    virtual void OnUpdateCommand(CommandState& state);

    // Offers `message` to the objects of its window and of that window's parents up to the
    // top-level window, innermost first.
    static bool RoutePreTranslate(MSG& message);

protected:
    // Default: reflection, then OnCommand / OnNotify / OnTimer and the menu state step, then
    // DefaultProc. WM_NCDESTROY never arrives here: the framework passes it on, detaches the
    // object and calls PostNcDestroy once every handler of the window has returned.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The procedure the window had before this object took it over.
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Each returns true when it handled the message. Commands from a menu or an accelerator that
    // the main window leaves unhandled go on to the application object.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    virtual bool OnNotify(const NMHDR& header, LRESULT& result);
    virtual void OnTimer(UINT_PTR id);
    // WM_HELP (F1 or the caption's question mark); true answers it.
    virtual bool OnHelp(const HELPINFO& help);

    // A notification the parent received from this window (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM,
    // WM_MEASUREITEM, WM_HSCROLL, WM_VSCROLL, WM_CTLCOLOR*). True keeps it from the parent;
    // `result` is then what the parent answers. The default hands them on below.
    virtual bool OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual bool OnReflectedCommand(UINT code);
    // A track bar's or scroll bar's WM_HSCROLL / WM_VSCROLL: the scroll code and the position
    // the message carries (meaningful for SB_THUMBTRACK and SB_THUMBPOSITION).
    virtual bool OnReflectedScroll(UINT code, int position);
    // WM_CTLCOLOR*: the brush to paint the control with, or null to leave it to the parent.
    virtual HBRUSH OnReflectedColor(UINT message, HDC dc);
    virtual bool OnReflectedNotify(const NMHDR& header, LRESULT& result);
    virtual bool DrawItem(const DRAWITEMSTRUCT& item);
    virtual bool MeasureItem(MEASUREITEMSTRUCT& item);

    // After the window is gone and the object detached; the place for `delete this`.
    virtual void PostNcDestroy();

private:
    friend class Dialog;
    class Creation;
    class DispatchScope;

    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);

    bool Attach(HWND hwnd, bool created) noexcept;
    void Release() noexcept;
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT AfterException(UINT message) noexcept;
    void Detached() noexcept;
    void LeaveDispatch() noexcept;
    bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    HWND hwnd_ = nullptr;
    WNDPROC previous_ = nullptr;
    bool unicode_ = false;
    bool created_ = false;
    int depth_ = 0;
    bool postNcDestroyDue_ = false;
};

} // namespace framework
