#include "AlarmActionDlg.h"

#include "applet/controls/HelpPopup.h"
#include "applet/logic/AlarmRules.h"
#include "applet/res/resource.h"
#include "store/GlobalPowerSettings.h"

namespace applet {

AlarmActionDlg::AlarmActionDlg(std::uint32_t action, std::uint32_t notify, bool hibernateEnabled)
    : Dialog(IDD_ALARM_ACTION, framework::TextKind::Narrow), action_(action), notify_(notify),
      hibernateEnabled_(hibernateEnabled) {}

bool AlarmActionDlg::OnInitDialog() {
    combo_.SubclassDlgItem(IDC_ACTION_COMBO, Hwnd());
    combo_.Fill();
    combo_.RemoveAction(store::kActionNone);
    combo_.Send(CB_SETCURSEL, 0);
    if (!hibernateEnabled_) {
        combo_.RemoveAction(store::kActionHibernate);
    }
    ::CheckDlgButton(Hwnd(), IDC_ACTION_ENABLE, BST_CHECKED);
    ::EnableWindow(combo_.Hwnd(), TRUE);
    combo_.SelectAction(action_);
    if (action_ == store::kActionNone) {
        ::CheckDlgButton(Hwnd(), IDC_ACTION_ENABLE, BST_UNCHECKED);
        ::EnableWindow(combo_.Hwnd(), FALSE);
    }
    ::CheckDlgButton(Hwnd(), IDC_ACTION_SOUND,
                     (notify_ & kNotifySound) != 0 ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(Hwnd(), IDC_ACTION_MESSAGE,
                     (notify_ & kNotifyMessage) != 0 ? BST_CHECKED : BST_UNCHECKED);
    return true;
}

bool AlarmActionDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_ACTION_ENABLE && code == BN_CLICKED) {
        ::EnableWindow(combo_.Hwnd(),
                       ::IsDlgButtonChecked(Hwnd(), IDC_ACTION_ENABLE) == BST_CHECKED);
        return true;
    }
    return Dialog::OnCommand(id, code, control);
}

void AlarmActionDlg::OnOK() {
    action_ = ::IsDlgButtonChecked(Hwnd(), IDC_ACTION_ENABLE) == BST_CHECKED
                  ? combo_.SelectedAction(store::kActionNone)
                  : store::kActionNone;
    notify_ =
        (::IsDlgButtonChecked(Hwnd(), IDC_ACTION_SOUND) == BST_CHECKED ? kNotifySound : 0) |
        (::IsDlgButtonChecked(Hwnd(), IDC_ACTION_MESSAGE) == BST_CHECKED ? kNotifyMessage : 0);
    Dialog::OnOK();
}

bool AlarmActionDlg::OnHelp(const HELPINFO& help) {
    if (help.iContextType != HELPINFO_WINDOW) {
        return false;
    }
    ShowHelpFor(Hwnd(), help, static_cast<UINT>(help.iCtrlId));
    return true;
}

} // namespace applet
