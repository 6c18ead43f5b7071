#include "framework/Dialog.h"

#include "framework/Contain.h"
#include "framework/Module.h"
#include "framework/Trace.h"

namespace framework {

INT_PTR Dialog::DoModal(HWND parent) {
    if (Hwnd() != nullptr) {
        Trace("framework: dialog %u is already open\n", templateId_);
        return -1;
    }
    modal_ = true;
    const LPARAM self = reinterpret_cast<LPARAM>(this);
    const INT_PTR result = kind_ == TextKind::Wide
                               ? ::DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(templateId_),
                                                   parent, &DialogProc, self)
                               : ::DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId_),
                                                   parent, &DialogProc, self);
    if (result == -1) {
        Trace("framework: dialog %u failed, error %lu\n", templateId_, ::GetLastError());
    }
    modal_ = false;
    return result;
}

bool Dialog::Create(HWND parent) {
    if (Hwnd() != nullptr) {
        Trace("framework: dialog %u is already open\n", templateId_);
        return false;
    }
    modal_ = false;
    const LPARAM self = reinterpret_cast<LPARAM>(this);
    const HWND hwnd = kind_ == TextKind::Wide
                          ? ::CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(templateId_),
                                                 parent, &DialogProc, self)
                          : ::CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId_),
                                                 parent, &DialogProc, self);
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
        ::EndDialog(Hwnd(), result);
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
    return Window::WindowProc(message, wParam, lParam);
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
        if (dialog->modal_) {
            ::EndDialog(hwnd, -1);
        } else {
            ::DestroyWindow(hwnd);
        }
        return FALSE;
    }
    return dialog->Dispatch(message, wParam, lParam);
}

} // namespace framework
