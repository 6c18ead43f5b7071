// A dialog from a template in this module's resources, modal (DoModal, which runs the
// framework's own loop so that PreTranslateMessage sees the dialog's messages) or modeless
// (Create; its keyboard handling runs in PreTranslateMessage of our loop). A page of
// a tab control is a modeless dialog with a DS_CONTROL | WS_CHILD template and the main dialog
// as parent. Controls are taken over by id with SubclassDlgItem, usually in OnInitDialog.
#pragma once

#include <windows.h>

#include "framework/TextKind.h"
#include "framework/Window.h"

namespace framework {

// Disables a control of a dialog. When it has the focus, the focus first moves to the next
// control in the tab order of its top-level dialog: a disabled window would keep the keyboard
// and every key would go nowhere.
void DisableControl(HWND control);

class Dialog : public Window {
public:
    // `kind` chooses CreateDialogParamA/W (or DialogBoxParamA/W) and so the text of the dialog
    // window and of its controls.
    Dialog(UINT templateId, TextKind kind) : templateId_(templateId), kind_(kind) {}

    // The code given to End, or -1 when the dialog could not be made.
    virtual INT_PTR DoModal(HWND parent = nullptr);
    bool Create(HWND parent = nullptr);
    // From another template of the same dialog class (a page host names the template).
    bool Create(UINT templateId, HWND parent);
    // A modal dialog returns `result` from DoModal; a modeless one is destroyed.
    void End(INT_PTR result);

    bool IsModal() const { return modal_; }
    UINT TemplateId() const { return templateId_; }
    HWND Item(int id) const { return ::GetDlgItem(Hwnd(), id); }

    // Tab, arrow, Enter and Escape of a modeless top-level dialog; a child dialog leaves them
    // to the dialog it sits in.
    bool PreTranslateMessage(MSG& message) override;

protected:
    // True lets the system put the focus on the first control.
    virtual bool OnInitDialog();
    // Default: End(IDOK) and End(IDCANCEL).
    virtual void OnOK();
    virtual void OnCancel();
    // Default: IDOK and IDCANCEL go to OnOK and OnCancel. An override returns
    // Dialog::OnCommand(...) for the ids it does not handle.
    bool OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // WM_CONTEXTMENU in a dialog with the caption's help button: the help of the control
    // clicked (or, from the keyboard, of the focused one) through OnHelp.
    bool ContextHelp(HWND clicked, LPARAM position);
    HWND CreateFromTemplate(HWND parent);
    void RunModalLoop();

    UINT templateId_;
    TextKind kind_;
    bool modal_ = false;
    bool ended_ = false;
    INT_PTR result_ = -1;
};

} // namespace framework
