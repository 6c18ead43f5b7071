#include "tray/reminder/CBatteryLearningDlg.h"

#include <utility>

#include "tray/ResourceText.h"
#include "SchemeStore.h"
#include "tray/logic/ReminderRules.h"
#include "tray/resource.h"

namespace tray {

CBatteryLearningDlg::CBatteryLearningDlg(int cycle, ReminderWriter writeReminder,
                                         ProcedureViewer showProcedure)
    : Dialog(IDD_BATTERY_LEARNING, framework::TextKind::Narrow), cycle_(cycle),
      writeReminder_(std::move(writeReminder)), showProcedure_(std::move(showProcedure)) {}

void CBatteryLearningDlg::WriteMachineReminder(std::uint32_t msgFlg, std::uint32_t nextCycle) {
    store::SchemeStore store;
    store.WriteReminder(msgFlg, nextCycle);
}

void CBatteryLearningDlg::ShowProcedureBox(HWND dialog) {
    const std::string text = LoadResourceText(IDS_RECONDITION_PROCEDURE);
    const std::string caption = LoadResourceText(IDS_RECONDITION_TITLE);
    ::MessageBoxA(dialog, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
}

bool CBatteryLearningDlg::OnInitDialog() {
    ::SendDlgItemMessageA(Hwnd(), IDC_LEARNING_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(::LoadIconA(nullptr, IDI_QUESTION)), 0);
    ::SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return true;
}

void CBatteryLearningDlg::OnCancel() {
    // Escape (and the dialog manager's IDCANCEL) must not close the reminder.
}

bool CBatteryLearningDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (code != BN_CLICKED) {
        return Dialog::OnCommand(id, code, control);
    }
    switch (id) {
    case IDC_LEARNING_NEVER:
        // Once the user never wants to hear of it again, "later" makes no sense.
        ::EnableWindow(Item(IDC_LEARNING_LATER),
                       ::IsDlgButtonChecked(Hwnd(), IDC_LEARNING_NEVER) != BST_CHECKED);
        return true;
    case IDC_LEARNING_YES:
        Answer(true);
        End(IDC_LEARNING_YES);
        return true;
    case IDC_LEARNING_NO:
        Answer(false);
        End(IDC_LEARNING_NO);
        return true;
    case IDC_LEARNING_LATER: {
        const ReminderChoice choice = ChoiceForLater(cycle_);
        next_ = choice.nextCycle;
        if (writeReminder_) {
            writeReminder_(choice.msgFlg, choice.nextCycle);
        }
        End(IDC_LEARNING_LATER);
        return true;
    }
    default:
        return Dialog::OnCommand(id, code, control);
    }
}

void CBatteryLearningDlg::Answer(bool showProcedure) {
    const bool never = ::IsDlgButtonChecked(Hwnd(), IDC_LEARNING_NEVER) == BST_CHECKED;
    next_ = NextReminderCycle(cycle_, kAnswerStep);
    const ReminderChoice choice = ChoiceForAnswer(never, cycle_);
    if (writeReminder_) {
        writeReminder_(choice.msgFlg, choice.nextCycle);
    }
    if (showProcedure && showProcedure_) {
        showProcedure_(Hwnd());
    }
}

} // namespace tray
