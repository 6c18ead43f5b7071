#include "framework/Window.h"

#include <exception>
#include <new>
#include <unordered_map>
#include <utility>

#include "framework/Application.h"
#include "framework/CriticalSection.h"
#include "framework/Menu.h"
#include "framework/Trace.h"

namespace framework {

namespace {

// The object pointer lives in a window property rather than GWLP_USERDATA: a subclassed control
// or its program may use the user data itself.
const wchar_t kObjectProperty[] = L"Framework.Window";
// Left behind when an object lets go of a window whose procedure chain it cannot leave because
// something subclassed the window after it: our procedure then forwards to this one.
const wchar_t kPreviousProperty[] = L"Framework.PreviousProc";

LONG_PTR GetLong(HWND hwnd, bool unicode, int index) {
    return unicode ? ::GetWindowLongPtrW(hwnd, index) : ::GetWindowLongPtrA(hwnd, index);
}

// The A/W setter must match the window: setting the procedure with the W function turns an ANSI
// window into a Unicode one, and its handlers would get text of the other kind.
LONG_PTR SetLong(HWND hwnd, bool unicode, int index, LONG_PTR value) {
    return unicode ? ::SetWindowLongPtrW(hwnd, index, value)
                   : ::SetWindowLongPtrA(hwnd, index, value);
}

WNDPROC AsProc(LONG_PTR value) {
    return reinterpret_cast<WNDPROC>(value);
}

// The same pairs as the property, for the lookups made at every message (the loop's and the
// procedure's): under Wine reading a property is a round trip to its server, two per message.
// Filled and emptied with the property; never destroyed, so that an object let go during the
// program's exit still finds it.
class ObjectTable {
public:
    Window* Find(HWND hwnd) {
        CriticalSectionLock lock(lock_);
        const auto found = objects_.find(hwnd);
        return found == objects_.end() ? nullptr : found->second;
    }
    void Add(HWND hwnd, Window* object) {
        CriticalSectionLock lock(lock_);
        objects_[hwnd] = object;
    }
    void Remove(HWND hwnd) {
        CriticalSectionLock lock(lock_);
        objects_.erase(hwnd);
    }

    static ObjectTable& Instance() {
        alignas(ObjectTable) static unsigned char storage[sizeof(ObjectTable)];
        static ObjectTable* const table = new (storage) ObjectTable;
        return *table;
    }

private:
    CriticalSection lock_;
    std::unordered_map<HWND, Window*> objects_;
};

} // namespace

// Counts the handlers running on an object, so that PostNcDestroy (which may delete it) waits
// for the outermost one, also when a handler destroys its own window.
class Window::DispatchScope {
public:
    explicit DispatchScope(Window& window) : window_(window) { ++window_.depth_; }
    ~DispatchScope() { window_.LeaveDispatch(); }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

private:
    Window& window_;
};

Window::~Window() {
    if (hwnd_ != nullptr && created_) {
        // Handlers of the derived classes are gone by now: the base procedure sees the rest.
        ::DestroyWindow(hwnd_);
    }
    if (hwnd_ != nullptr) {
        Release();
    }
}

bool Window::Subclass(HWND hwnd) {
    if (hwnd == nullptr || !::IsWindow(hwnd) || hwnd_ != nullptr) {
        Trace("framework: cannot subclass window %p\n", static_cast<void*>(hwnd));
        return false;
    }
    return Attach(hwnd, false);
}

bool Window::SubclassDlgItem(int id, HWND parent) {
    const HWND item = ::GetDlgItem(parent, id);
    if (item == nullptr) {
        Trace("framework: no control %d in window %p\n", id, static_cast<void*>(parent));
        return false;
    }
    return Subclass(item);
}

HWND Window::Detach() {
    const HWND hwnd = hwnd_;
    Release();
    return hwnd;
}

bool Window::Destroy() {
    return hwnd_ != nullptr && ::DestroyWindow(hwnd_) != FALSE;
}

Window* Window::FromHandle(HWND hwnd) {
    if (hwnd == nullptr) {
        return nullptr;
    }
    return ObjectTable::Instance().Find(hwnd);
}

LRESULT Window::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return unicode_ ? ::SendMessageW(hwnd_, message, wParam, lParam)
                    : ::SendMessageA(hwnd_, message, wParam, lParam);
}

bool Window::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    const BOOL posted = unicode_ ? ::PostMessageW(hwnd_, message, wParam, lParam)
                                 : ::PostMessageA(hwnd_, message, wParam, lParam);
    return posted != FALSE;
}

bool Window::SetTimer(UINT_PTR id, UINT milliseconds) {
    if (hwnd_ == nullptr) {
        return false;
    }
    if (::SetTimer(hwnd_, id, milliseconds, nullptr) == 0) {
        // What the timer drives is lost: said once where it happens.
        Trace("framework: SetTimer %lu (%u ms) failed, error %lu\n", static_cast<unsigned long>(id),
              milliseconds, ::GetLastError());
        return false;
    }
    return true;
}

bool Window::KillTimer(UINT_PTR id) {
    return hwnd_ != nullptr && ::KillTimer(hwnd_, id) != FALSE;
}

bool Window::PreTranslateMessage(MSG&) {
    return false;
}

void Window::OnUpdateCommand(CommandState&) {}

bool Window::RoutePreTranslate(MSG& message) {
    HWND hwnd = message.hwnd;
    while (hwnd != nullptr) {
        const bool child = (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0;
        const HWND parent = child ? ::GetParent(hwnd) : nullptr;
        if (Window* window = FromHandle(hwnd)) {
            DispatchScope scope(*window);
            if (window->PreTranslateMessage(message)) {
                return true;
            }
        }
        hwnd = parent;
    }
    return false;
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ReflectToChild(message, wParam, lParam, result)) {
        return result;
    }
    switch (message) {
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        if (OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam))) {
            return 0;
        }
        Application* app = Application::Current();
        if (lParam == 0 && app != nullptr && app->MainWindow() == this && app->OnCommand(id)) {
            return 0;
        }
        break;
    }
    case WM_NOTIFY:
        if (lParam != 0 && OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) {
            return result;
        }
        break;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_HELP:
        if (lParam != 0 && OnHelp(*reinterpret_cast<const HELPINFO*>(lParam))) {
            return TRUE;
        }
        break;
    case WM_INITMENUPOPUP:
        // The high word is set for the window menu, whose commands are the system's.
        if (HIWORD(lParam) == 0) {
            Menu::UpdateStates(reinterpret_cast<HMENU>(wParam), *this);
        }
        break;
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd_ == nullptr) {
        return 0;
    }
    if (previous_ == nullptr) {
        return unicode_ ? ::DefWindowProcW(hwnd_, message, wParam, lParam)
                        : ::DefWindowProcA(hwnd_, message, wParam, lParam);
    }
    return unicode_ ? ::CallWindowProcW(previous_, hwnd_, message, wParam, lParam)
                    : ::CallWindowProcA(previous_, hwnd_, message, wParam, lParam);
}

bool Window::OnCommand(UINT, UINT, HWND) {
    return false;
}

bool Window::OnNotify(const NMHDR&, LRESULT&) {
    return false;
}

void Window::OnTimer(UINT_PTR) {}

bool Window::OnHelp(const HELPINFO&) {
    return false;
}

bool Window::OnReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        result = 0;
        return OnReflectedCommand(HIWORD(wParam));
    case WM_NOTIFY:
        return OnReflectedNotify(*reinterpret_cast<const NMHDR*>(lParam), result);
    case WM_DRAWITEM:
        result = TRUE;
        return DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_MEASUREITEM:
        result = TRUE;
        return MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_HSCROLL:
    case WM_VSCROLL:
        result = 0;
        return OnReflectedScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        const HBRUSH brush = OnReflectedColor(message, reinterpret_cast<HDC>(wParam));
        result = reinterpret_cast<LRESULT>(brush);
        return brush != nullptr;
    }
    default:
        return false;
    }
}

bool Window::OnReflectedScroll(UINT, int) {
    return false;
}

HBRUSH Window::OnReflectedColor(UINT, HDC) {
    return nullptr;
}

bool Window::OnReflectedCommand(UINT) {
    return false;
}

bool Window::OnReflectedNotify(const NMHDR&, LRESULT&) {
    return false;
}

bool Window::DrawItem(const DRAWITEMSTRUCT&) {
    return false;
}

bool Window::MeasureItem(MEASUREITEMSTRUCT&) {
    return false;
}

void Window::PostNcDestroy() {}

LRESULT CALLBACK Window::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Window* window = FromHandle(hwnd)) {
        return window->Dispatch(message, wParam, lParam);
    }
    const bool unicode = ::IsWindowUnicode(hwnd) != FALSE;
    const auto previous = AsProc(reinterpret_cast<LONG_PTR>(::GetPropW(hwnd, kPreviousProperty)));
    if (previous != nullptr) {
        if (message == WM_NCDESTROY) {
            ::RemovePropW(hwnd, kPreviousProperty);
        }
        return unicode ? ::CallWindowProcW(previous, hwnd, message, wParam, lParam)
                       : ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
    }
    return unicode ? ::DefWindowProcW(hwnd, message, wParam, lParam)
                   : ::DefWindowProcA(hwnd, message, wParam, lParam);
}

bool Window::Attach(HWND hwnd, bool created) noexcept {
    if (::GetPropW(hwnd, kObjectProperty) != nullptr ||
        ::GetPropW(hwnd, kPreviousProperty) != nullptr) {
        Trace("framework: window %p already has an object\n", static_cast<void*>(hwnd));
        return false;
    }
    if (!::SetPropW(hwnd, kObjectProperty, this)) {
        Trace("framework: SetProp on window %p failed, error %lu\n", static_cast<void*>(hwnd),
              ::GetLastError());
        return false;
    }
    const bool unicode = ::IsWindowUnicode(hwnd) != FALSE;
    const LONG_PTR previous =
        SetLong(hwnd, unicode, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StaticWindowProc));
    if (previous == 0) {
        Trace("framework: subclassing window %p failed, error %lu\n", static_cast<void*>(hwnd),
              ::GetLastError());
        ::RemovePropW(hwnd, kObjectProperty);
        return false;
    }
    ObjectTable::Instance().Add(hwnd, this);
    hwnd_ = hwnd;
    previous_ = AsProc(previous);
    unicode_ = unicode;
    created_ = created;
    return true;
}

void Window::Release() noexcept {
    const HWND hwnd = std::exchange(hwnd_, nullptr);
    const WNDPROC previous = std::exchange(previous_, nullptr);
    created_ = false;
    if (hwnd == nullptr) {
        return;
    }
    if (AsProc(GetLong(hwnd, unicode_, GWLP_WNDPROC)) == &StaticWindowProc) {
        SetLong(hwnd, unicode_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    } else {
        ::SetPropW(hwnd, kPreviousProperty,
                   reinterpret_cast<HANDLE>(reinterpret_cast<LONG_PTR>(previous)));
    }
    ::RemovePropW(hwnd, kObjectProperty);
    ObjectTable::Instance().Remove(hwnd);
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    DispatchScope scope(*this);
    if (message == WM_NCDESTROY) {
        // The procedure we replaced sees the last message first: controls free their data there.
        const LRESULT result = DefaultProc(message, wParam, lParam);
        Detached();
        return result;
    }
    try {
        return WindowProc(message, wParam, lParam);
    } catch (const std::exception& e) {
        Trace("framework: exception in the handler of message 0x%04X of window %p: %s\n", message,
              static_cast<void*>(hwnd_), e.what());
    } catch (...) {
        Trace("framework: exception in the handler of message 0x%04X of window %p\n", message,
              static_cast<void*>(hwnd_));
    }
    return AfterException(message);
}

LRESULT Window::AfterException(UINT message) noexcept {
    switch (message) {
    case WM_NCCREATE:
        return FALSE;
    case WM_CREATE:
        return -1;
    case WM_PAINT:
        // Otherwise the window is asked to paint again at once, for ever.
        if (hwnd_ != nullptr) {
            ::ValidateRect(hwnd_, nullptr);
        }
        return 0;
    default:
        return 0;
    }
}

void Window::Detached() noexcept {
    Release();
    postNcDestroyDue_ = true;
    Application* app = Application::Current();
    if (app != nullptr && app->MainWindow() == this) {
        app->SetMainWindow(nullptr);
        // Whether the thread's loop ends with its main window is the application's choice: a
        // library hosted in another process must leave that process's loop running.
        app->OnMainWindowGone();
    }
}

void Window::LeaveDispatch() noexcept {
    if (--depth_ > 0 || !postNcDestroyDue_) {
        return;
    }
    postNcDestroyDue_ = false;
    try {
        PostNcDestroy();
    } catch (...) {
        Trace("framework: exception in PostNcDestroy\n");
    }
}

bool Window::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = nullptr;
    switch (message) {
    case WM_COMMAND: // lParam is zero for menus and accelerators
    case WM_HSCROLL: // and for the window's own scroll bars
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        child = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        if (lParam != 0) {
            child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
        }
        break;
    case WM_DRAWITEM:
        if (lParam != 0) {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            child = item->CtlType == ODT_MENU ? nullptr : item->hwndItem;
        }
        break;
    case WM_MEASUREITEM:
        // The only message of the set that does not carry the control's window.
        if (lParam != 0) {
            const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
            if (item->CtlType != ODT_MENU) {
                child = ::GetDlgItem(hwnd_, static_cast<int>(item->CtlID));
            }
        }
        break;
    default:
        return false;
    }
    // The messages that carry the control in lParam are sent by the control to its parent;
    // anything else there (a number posted by hand) is no control of ours to offer it to.
    if (message != WM_NOTIFY && message != WM_DRAWITEM && message != WM_MEASUREITEM &&
        (child == nullptr || ::GetParent(child) != hwnd_)) {
        return false;
    }
    Window* target = child == hwnd_ ? nullptr : FromHandle(child);
    if (target == nullptr) {
        return false;
    }
    DispatchScope scope(*target);
    return target->OnReflected(message, wParam, lParam, result);
}

void TranslateAndDispatch(const MSG& message, bool wide) {
    ::TranslateMessage(&message);
    if (wide) {
        ::DispatchMessageW(&message);
    } else {
        ::DispatchMessageA(&message);
    }
}

} // namespace framework
