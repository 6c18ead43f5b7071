#include "framework/Dialog.h"

#include "framework/Application.h"
#include "framework/Contain.h"
#include "framework/Module.h"
#include "framework/Trace.h"

namespace framework {

void DisableControl(HWND control) {
    if (control == nullptr) {
        return;
    }
    if (::GetFocus() == control) {
        const HWND root = ::GetAncestor(control, GA_ROOT);
        const HWND next = ::GetNextDlgTabItem(root, control, FALSE);
        if (next != nullptr && next != control) {
            ::SendMessageW(root, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
        }
    }
    ::EnableWindow(control, FALSE);
}

INT_PTR Dialog::DoModal(HWND parent) {
    if (Hwnd() != nullptr) {
        Trace("framework: dialog %u is already open\n", templateId_);
        return -1;
    }
    // A modal dialog belongs to the top-level window of its parent, which it disables while
    // it runs, as the system's modal dialogs do.
    const HWND owner = parent != nullptr ? ::GetAncestor(parent, GA_ROOT) : nullptr;
    modal_ = true;
    ended_ = false;
    result_ = -1;
    const HWND hwnd = CreateFromTemplate(owner);
    if (hwnd == nullptr) {
        Trace("framework: dialog %u failed, error %lu\n", templateId_, ::GetLastError());
        modal_ = false;
        return -1;
    }
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner) != FALSE;
    if (disableOwner) {
        ::EnableWindow(owner, FALSE);
    }
    if (!ended_ && ::IsWindow(hwnd)) {
        ::ShowWindow(hwnd, SW_SHOW);
        RunModalLoop();
    }
    // The owner is enabled again before the dialog goes, so that the activation returns to it.
    if (disableOwner) {
        ::EnableWindow(owner, TRUE);
    }
    if (::IsWindow(hwnd)) {
        ::DestroyWindow(hwnd);
    }
    modal_ = false;
    return result_;
}

void Dialog::RunModalLoop() {
    // Our own loop rather than the system's, so that PreTranslateMessage of the application
    // and of every window object sees the messages of the dialog and of its child pages.
    Application* app = Application::Current();
    const bool wide = kind_ == TextKind::Wide;
    MSG message{};
    // A dialog destroyed from outside (its object detached) ends the loop as well.
    while (!ended_ && Hwnd() != nullptr) {
        const BOOL got = app != nullptr ? app->NextMessage(message, wide)
                         : wide         ? ::GetMessageW(&message, nullptr, 0, 0)
                                        : ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            // The thread is ending: the dialog closes and the quit goes on to the outer loop.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            result_ = IDCANCEL;
            return;
        }
        if (got == -1) {
            Trace("framework: GetMessage failed, error %lu\n", ::GetLastError());
            result_ = -1;
            return;
        }
        const bool consumed = CallContained("framework: PreTranslateMessage", false, [&] {
            return app != nullptr ? app->PreTranslateMessage(message)
                                  : Window::RoutePreTranslate(message);
        });
        if (consumed) {
            continue;
        }
        TranslateAndDispatch(message, wide);
    }
}

HWND Dialog::CreateFromTemplate(HWND parent) {
    const LPARAM self = reinterpret_cast<LPARAM>(this);
    return kind_ == TextKind::Wide
               ? ::CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(templateId_), parent,
                                      &DialogProc, self)
               : ::CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId_), parent,
                                      &DialogProc, self);
}

bool Dialog::Create(UINT templateId, HWND parent) {
    if (Hwnd() != nullptr) {
        Trace("framework: dialog %u is already open\n", templateId_);
        return false;
    }
    templateId_ = templateId;
    return Create(parent);
}

bool Dialog::Create(HWND parent) {
    if (Hwnd() != nullptr) {
        Trace("framework: dialog %u is already open\n", templateId_);
        return false;
    }
    modal_ = false;
    const HWND hwnd = CreateFromTemplate(parent);
    if (hwnd == nullptr) {
        Trace("framework: dialog %u failed, error %lu\n", templateId_, ::GetLastError());
        return false;
    }
    // A dialog that ended during WM_INITDIALOG is already gone (and its object maybe deleted).
    return ::IsWindow(hwnd) != FALSE;
}

void Dialog::End(INT_PTR result) {
    if (Hwnd() == nullptr) {
        return;
    }
    if (modal_) {
        // The loop of DoModal sees the mark after the current message and closes the window.
        result_ = result;
        ended_ = true;
        ::PostMessageW(Hwnd(), WM_NULL, 0, 0);
    } else {
        ::DestroyWindow(Hwnd());
    }
}

bool Dialog::PreTranslateMessage(MSG& message) {
    if (Hwnd() == nullptr || (::GetWindowLongPtrW(Hwnd(), GWL_STYLE) & WS_CHILD) != 0) {
        return false;
    }
    const BOOL handled =
        IsUnicode() ? ::IsDialogMessageW(Hwnd(), &message) : ::IsDialogMessageA(Hwnd(), &message);
    return handled != FALSE;
}

bool Dialog::OnInitDialog() {
    return true;
}

void Dialog::OnOK() {
    End(IDOK);
}

void Dialog::OnCancel() {
    End(IDCANCEL);
}

bool Dialog::OnCommand(UINT id, UINT code, HWND) {
    // Clicks, menu items (code 0) and accelerators (code 1); other notifications of the OK and
    // Cancel buttons (focus, for instance) are not a request to close.
    if (code > 1) {
        return false;
    }
    // A page (a child dialog) never ends itself: its IDOK and IDCANCEL (Escape in a multi-line
    // edit closes the edit's dialog) belong to the dialog it sits in.
    if ((id == IDOK || id == IDCANCEL) &&
        (::GetWindowLongPtrW(Hwnd(), GWL_STYLE) & WS_CHILD) != 0) {
        if (const HWND owner = ::GetParent(Hwnd())) {
            ::SendMessageW(owner, WM_COMMAND, MAKEWPARAM(id, code), 0);
        }
        return true;
    }
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        // A dialog whose start failed must not stay up: a modal one would never return.
        bool thrown = true;
        const bool focus = CallContained("framework: OnInitDialog", false, [&] {
            const bool result = OnInitDialog();
            thrown = false;
            return result;
        });
        if (thrown) {
            End(-1);
        }
        return focus ? TRUE : FALSE;
    }
    // Where the system draws no help button in the caption (Wine does not), a right click is
    // the way to the help of the controls, also of those that cannot take the focus.
    if (message == WM_CONTEXTMENU && ContextHelp(reinterpret_cast<HWND>(wParam), lParam)) {
        return 0;
    }
    return Window::WindowProc(message, wParam, lParam);
}

bool Dialog::ContextHelp(HWND clicked, LPARAM position) {
    const HWND root = ::GetAncestor(Hwnd(), GA_ROOT);
    if ((::GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_CONTEXTHELP) == 0) {
        return false;
    }
    POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    HWND control = clicked;
    if (position == -1) {
        control = ::GetFocus();
        RECT rect{};
        ::GetWindowRect(control, &rect);
        at = POINT{rect.left, rect.top};
    } else if (clicked == Hwnd()) {
        // Labels let the click through to the dialog: the control under the mouse, the first
        // in the Z order, passing over group boxes (they enclose the controls they group).
        control = nullptr;
        for (HWND child = ::GetWindow(Hwnd(), GW_CHILD); child != nullptr && control == nullptr;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT rect{};
            ::GetWindowRect(child, &rect);
            const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
            wchar_t cls[16] = {};
            ::GetClassNameW(child, cls, 16);
            const bool groupBox =
                lstrcmpiW(cls, L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX;
            if ((style & WS_VISIBLE) != 0 && !groupBox && ::PtInRect(&rect, at)) {
                control = child;
            }
        }
    }
    // Only a control of this dialog: a page's own clicks reach the page.
    if (control == nullptr || ::GetParent(control) != Hwnd()) {
        return false;
    }
    HELPINFO help{};
    help.cbSize = sizeof(help);
    help.iContextType = HELPINFO_WINDOW;
    help.iCtrlId = ::GetDlgCtrlID(control);
    help.hItemHandle = control;
    help.MousePos = at;
    return OnHelp(help);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The object takes the dialog window over at WM_INITDIALOG, the first message that names it;
    // from then on every message passes our window procedure before the dialog manager's, and
    // this procedure only answers "not handled".
    if (message != WM_INITDIALOG || lParam == 0 || FromHandle(hwnd) != nullptr) {
        return FALSE;
    }
    auto* dialog = reinterpret_cast<Dialog*>(lParam);
    if (!dialog->Attach(hwnd, true)) {
        // Without its object nothing would ever end the dialog.
        ::DestroyWindow(hwnd);
        return FALSE;
    }
    return dialog->Dispatch(message, wParam, lParam);
}

} // namespace framework
