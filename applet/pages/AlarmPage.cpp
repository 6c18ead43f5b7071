#include "AlarmPage.h"

#include <commctrl.h>

#include <algorithm>

#include "AlarmActionDlg.h"
#include "applet/AppletMessages.h"
#include "applet/controls/HelpPopup.h"
#include "applet/logic/HelpIds.h"
#include "applet/res/resource.h"
#include "framework/TextList.h"
#include "framework/WindowText.h"

namespace applet {

AlarmPage::AlarmPage() : Dialog(IDD_ALARM_PAGE, framework::TextKind::Narrow) {
    low_.onBox = IDC_ALARM_LOW_ON;
    low_.actionButton = IDC_ALARM_LOW_ACTION;
    low_.notifyText = IDC_ALARM_LOW_NOTIFY_TEXT;
    low_.actionText = IDC_ALARM_LOW_ACTION_TEXT;
    low_.label = IDC_ALARM_LOW_LABEL;
    critical_.onBox = IDC_ALARM_CRITICAL_ON;
    critical_.actionButton = IDC_ALARM_CRITICAL_ACTION;
    critical_.notifyText = IDC_ALARM_CRITICAL_NOTIFY_TEXT;
    critical_.actionText = IDC_ALARM_CRITICAL_ACTION_TEXT;
    critical_.label = IDC_ALARM_CRITICAL_LABEL;
}

bool AlarmPage::OnInitDialog() {
    ::SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE,
                        ::GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    low_.slider.SubclassDlgItem(IDC_ALARM_LOW_SLIDER, Hwnd());
    critical_.slider.SubclassDlgItem(IDC_ALARM_CRITICAL_SLIDER, Hwnd());
    low_.slider.BindLabel(Item(IDC_ALARM_LOW_LABEL));
    low_.slider.SetPartner(&critical_.slider, AlarmRole::Low);
    critical_.slider.BindLabel(Item(IDC_ALARM_CRITICAL_LABEL));
    critical_.slider.SetPartner(&low_.slider, AlarmRole::Critical);
    for (AlarmSlider* slider : {&low_.slider, &critical_.slider}) {
        slider->Send(TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
        slider->Send(TBM_SETTICFREQ, 10);
    }
    low_.slider.Send(TBM_SETPAGESIZE, 0, 10);
    return true;
}

void AlarmPage::Load() {
    if (settings_ == nullptr) {
        return;
    }
    LoadAlarm(low_, settings_->LowAlarm);
    LoadAlarm(critical_, settings_->CriticalAlarm);
}

void AlarmPage::LoadAlarm(Alarm& alarm, const store::BatteryAlarm& stored) {
    // Only the low byte of Enable counts.
    const bool on = (stored.Enable & 0xFF) != 0;
    ::CheckDlgButton(Hwnd(), alarm.onBox, on ? BST_CHECKED : BST_UNCHECKED);
    EnableGroup(alarm, on);
    // A stored level outside 0..100 is shown at the nearest end; Save writes what is shown.
    alarm.slider.SetValue(static_cast<int>(std::min<std::uint32_t>(stored.Level, 100)));
    alarm.action = stored.Action;
    alarm.notify = stored.Notify;
    ShowTexts(alarm);
}

void AlarmPage::EnableGroup(const Alarm& alarm, bool enabled) {
    for (const int id : {alarm.actionButton, alarm.actionText, alarm.notifyText, alarm.label}) {
        ::EnableWindow(Item(id), enabled ? TRUE : FALSE);
    }
    ::EnableWindow(alarm.slider.Hwnd(), enabled ? TRUE : FALSE);
}

void AlarmPage::ShowTexts(Alarm& alarm) {
    const NotifyWords words{
        framework::LoadText(IDS_NOTIFY_SOUND), framework::LoadText(IDS_NOTIFY_TEXT),
        framework::LoadText(IDS_NO_ACTION), framework::LoadText(IDS_LIST_SEPARATOR)};
    framework::SetItemText(Hwnd(), alarm.notifyText, NotificationText(alarm.notify, words));
    alarm.action = EffectiveAction(alarm.action, hibernateEnabled_);
    const auto list = framework::SplitList(framework::LoadText(IDS_ACTION_LIST));
    if (const auto text = ActionText(alarm.action, list, words.noAction)) {
        framework::SetItemText(Hwnd(), alarm.actionText, *text);
    }
}

void AlarmPage::SetHibernate(bool enabled) {
    hibernateEnabled_ = enabled;
    if (Hwnd() == nullptr) {
        return;
    }
    if (!enabled) {
        for (Alarm* alarm : {&low_, &critical_}) {
            if (alarm->action == store::kActionHibernate) {
                ShowTexts(*alarm);
            }
        }
    }
}

void AlarmPage::Save() {
    if (settings_ == nullptr || Hwnd() == nullptr) {
        return;
    }
    SaveAlarm(low_, settings_->LowAlarm);
    SaveAlarm(critical_, settings_->CriticalAlarm);
}

void AlarmPage::SaveAlarm(const Alarm& alarm, store::BatteryAlarm& stored) const {
    const std::uint32_t on = ::IsDlgButtonChecked(Hwnd(), alarm.onBox) == BST_CHECKED ? 1 : 0;
    stored.Enable = (stored.Enable & ~0xFFU) | on;
    stored.Level = static_cast<std::uint32_t>(alarm.slider.Value());
    stored.Action = alarm.action;
    stored.Notify = alarm.notify;
}

void AlarmPage::RunActionDialog(Alarm& alarm) {
    AlarmActionDlg dialog(alarm.action, alarm.notify, hibernateEnabled_);
    if (dialog.DoModal(Hwnd()) != IDOK) {
        return;
    }
    alarm.action = dialog.Action();
    alarm.notify = dialog.Notify();
    ShowTexts(low_);
    ShowTexts(critical_);
    NotifyModified();
}

void AlarmPage::OnToggle(AlarmRole clicked) {
    Alarm& alarm = clicked == AlarmRole::Low ? low_ : critical_;
    const bool on = ::IsDlgButtonChecked(Hwnd(), alarm.onBox) == BST_CHECKED;
    EnableGroup(alarm, on);
    const AlarmLevels before{low_.slider.Value(), critical_.slider.Value()};
    const AlarmLevels after =
        LevelsAfterToggle(clicked, ::IsDlgButtonChecked(Hwnd(), low_.onBox) == BST_CHECKED,
                          ::IsDlgButtonChecked(Hwnd(), critical_.onBox) == BST_CHECKED, before);
    if (after.low != before.low) {
        low_.slider.SetValue(after.low);
    }
    if (after.critical != before.critical) {
        critical_.slider.SetValue(after.critical);
    }
    NotifyModified();
}

bool AlarmPage::OnCommand(UINT id, UINT code, HWND control) {
    if (code != BN_CLICKED) {
        return Dialog::OnCommand(id, code, control);
    }
    switch (id) {
    case IDC_ALARM_LOW_ACTION:
        RunActionDialog(low_);
        return true;
    case IDC_ALARM_CRITICAL_ACTION:
        RunActionDialog(critical_);
        return true;
    case IDC_ALARM_LOW_ON:
        OnToggle(AlarmRole::Low);
        return true;
    case IDC_ALARM_CRITICAL_ON:
        OnToggle(AlarmRole::Critical);
        return true;
    default:
        return Dialog::OnCommand(id, code, control);
    }
}

bool AlarmPage::OnHelp(const HELPINFO& help) {
    if (help.iContextType != HELPINFO_WINDOW) {
        return false;
    }
    ShowHelpFor(Hwnd(), help, static_cast<UINT>(AlarmPageHelpId(help.iCtrlId)));
    return true;
}

} // namespace applet
