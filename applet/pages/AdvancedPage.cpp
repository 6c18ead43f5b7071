#include "AdvancedPage.h"

#include <commctrl.h>

#include <string>

#include "applet/AppletMessages.h"
#include "applet/AppletPolicy.h"
#include "applet/controls/HelpPopup.h"
#include "applet/logic/HibernateRules.h"
#include "applet/res/resource.h"
#include "framework/TextList.h"
#include "framework/UniqueHandle.h"
#include "framework/WindowText.h"
#include "store/PowerApi.h"

namespace applet {

namespace {

using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                           PULARGE_INTEGER);

bool HibernateAllowed() {
    store::PowerApi power;
    return power.IsPwrHibernateAllowed();
}

} // namespace

bool CheckHibernateDiskSpace() {
    char windows[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    std::string root(windows);
    const std::size_t slash = root.find('\\');
    root = (slash == std::string::npos ? root : root.substr(0, slash)) + "\\";

    // GlobalMemoryStatusEx: the older call reports at most 4 GB and wraps beyond it.
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof(memory);
    if (!::GlobalMemoryStatusEx(&memory)) {
        return false;
    }
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const auto getFree =
        framework::ProcAddress<GetDiskFreeSpaceExFn>(kernel, "GetDiskFreeSpaceExA");
    ULARGE_INTEGER available{};
    if (getFree == nullptr || !getFree(root.c_str(), &available, nullptr, nullptr)) {
        return false;
    }
    return HibernationFits(memory.ullTotalPhys, available.QuadPart);
}

AdvancedPage::AdvancedPage() : Dialog(IDD_ADVANCED_PAGE, framework::TextKind::Narrow) {}

bool AdvancedPage::OnInitDialog() {
    ::SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE,
                        ::GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    SYSTEM_POWER_CAPABILITIES capabilities{};
    store::PowerApi power;
    const bool known = power.GetPwrCapabilities(&capabilities);

    powerButton_.SubclassDlgItem(IDC_ADV_POWER_BUTTON, Hwnd());
    lid_.SubclassDlgItem(IDC_ADV_LID, Hwnd());
    sleepButton_.SubclassDlgItem(IDC_ADV_SLEEP_BUTTON, Hwnd());
    for (ActionComboBox* combo : {&powerButton_, &lid_, &sleepButton_}) {
        combo->Fill();
    }
    powerButton_.RemoveAction(store::kActionNone);
    lid_.RemoveAction(store::kActionShutdownOff);
    sleepButton_.RemoveAction(store::kActionNone);

    cooling_.SubclassDlgItem(IDC_ADV_COOLING, Hwnd());
    const auto coolingTexts = framework::SplitList(framework::LoadText(IDS_COOLING_LIST));
    for (std::size_t i = 0; i < coolingTexts.size(); ++i) {
        COMBOBOXEXITEMA item{};
        item.mask = CBEIF_TEXT | CBEIF_LPARAM;
        item.iItem = static_cast<INT_PTR>(i);
        item.pszText = const_cast<char*>(coolingTexts[i].c_str());
        item.lParam = static_cast<LPARAM>(i);
        cooling_.Send(CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    if (AppletPolicy().FanWord() == 0) {
        ::ShowWindow(Item(IDC_ADV_COOLING_GROUP), SW_HIDE);
        ::ShowWindow(cooling_.Hwnd(), SW_HIDE);
    }
    // Without an answer from the power manager the devices count as absent.
    const bool lid = known && capabilities.LidPresent;
    const bool sleepButton = known && capabilities.SleepButtonPresent;
    ::ShowWindow(lid_.Hwnd(), lid ? SW_SHOW : SW_HIDE);
    ::ShowWindow(Item(IDC_ADV_LID_TEXT), lid ? SW_SHOW : SW_HIDE);
    ::ShowWindow(sleepButton_.Hwnd(), sleepButton ? SW_SHOW : SW_HIDE);
    ::ShowWindow(Item(IDC_ADV_SLEEP_TEXT), sleepButton ? SW_SHOW : SW_HIDE);
    return true;
}

void AdvancedPage::SetHibernateSupported(bool supported) {
    hibernateSupported_ = supported;
    if (Hwnd() != nullptr) {
        ::ShowWindow(Item(IDC_ADV_HIBERNATE), supported ? SW_SHOW : SW_HIDE);
    }
}

void AdvancedPage::Load() {
    if (settings_ == nullptr) {
        return;
    }
    ::CheckDlgButton(Hwnd(), IDC_ADV_HIBERNATE,
                     settings_->HibernateEnable != 0 ? BST_CHECKED : BST_UNCHECKED);
    SetHibernate(settings_->HibernateEnable != 0);
    powerButton_.SelectAction(settings_->PowerButton);
    lid_.SelectAction(settings_->LidClose);
    sleepButton_.SelectAction(settings_->SleepButton);
    ::CheckDlgButton(Hwnd(), IDC_ADV_TRAY_ICON,
                     settings_->SysTrayBatteryMeterEnable != 0 ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(Hwnd(), IDC_ADV_PASSWORD,
                     settings_->PasswordLogonEnable != 0 ? BST_CHECKED : BST_UNCHECKED);
    cooling_.Send(CB_SETCURSEL, static_cast<WPARAM>(CoolingIndex(settings_->CoolingMethod)));
}

void AdvancedPage::Save() {
    if (settings_ == nullptr || Hwnd() == nullptr) {
        return;
    }
    // A list without a selection keeps the stored action.
    settings_->PowerButton = powerButton_.SelectedAction(settings_->PowerButton);
    settings_->LidClose = lid_.SelectedAction(settings_->LidClose);
    settings_->SleepButton = sleepButton_.SelectedAction(settings_->SleepButton);
    settings_->SysTrayBatteryMeterEnable =
        ::IsDlgButtonChecked(Hwnd(), IDC_ADV_TRAY_ICON) == BST_CHECKED ? 1 : 0;
    settings_->PasswordLogonEnable =
        ::IsDlgButtonChecked(Hwnd(), IDC_ADV_PASSWORD) == BST_CHECKED ? 1 : 0;
    settings_->HibernateEnable =
        ::IsDlgButtonChecked(Hwnd(), IDC_ADV_HIBERNATE) == BST_CHECKED ? 1 : 0;
    settings_->CoolingMethod = CoolingValue(static_cast<int>(cooling_.Send(CB_GETCURSEL)));
}

void AdvancedPage::SetHibernate(bool enabled) {
    if (Hwnd() == nullptr) {
        return;
    }
    if (enabled) {
        for (ActionComboBox* combo : {&powerButton_, &lid_, &sleepButton_}) {
            if (combo->SelectedAction(store::kActionNone) != store::kActionHibernate) {
                combo->AddHibernateIfMissing();
            }
        }
        return;
    }
    powerButton_.SelectAction(kActionsWithoutHibernation.powerButton);
    lid_.SelectAction(kActionsWithoutHibernation.lid);
    sleepButton_.SelectAction(kActionsWithoutHibernation.sleepButton);
    for (ActionComboBox* combo : {&powerButton_, &lid_, &sleepButton_}) {
        combo->RemoveAction(store::kActionHibernate);
    }
    // Not an edit by itself: at the opening it only loads, and a switch by the user or a
    // refusal on Apply is an edit where it happens.
}

void AdvancedPage::SetHibernateBox(bool checked) {
    ::CheckDlgButton(Hwnd(), IDC_ADV_HIBERNATE, checked ? BST_CHECKED : BST_UNCHECKED);
    if (!HibernateAllowed() && !CheckHibernateDiskSpace()) {
        const std::string text = framework::LoadText(IDS_FREE_DISK_SPACE);
        if (messageBox_) {
            messageBox_(text.c_str(), "Power Management", MB_ICONEXCLAMATION | MB_TOPMOST);
        } else {
            ::MessageBoxA(Hwnd(), text.c_str(), "Power Management",
                          MB_ICONEXCLAMATION | MB_TOPMOST);
        }
    }
}

void AdvancedPage::OnHibernateClicked() {
    bool checked = ::IsDlgButtonChecked(Hwnd(), IDC_ADV_HIBERNATE) == BST_CHECKED;
    if (checked && !HibernateAllowed() && !CheckHibernateDiskSpace()) {
        SetHibernateBox(false);
        checked = false;
    }
    SendToMainWindow(WM_HIBERNATE_CHANGED, checked ? 1 : 0);
    NotifyModified();
}

bool AdvancedPage::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_ADV_HIBERNATE:
        if (code == BN_CLICKED) {
            OnHibernateClicked();
            return true;
        }
        break;
    case IDC_ADV_TRAY_ICON:
    case IDC_ADV_PASSWORD:
    case IDC_ADV_AUTO_RESUME:
        if (code == BN_CLICKED) {
            NotifyModified();
            return true;
        }
        break;
    case IDC_ADV_POWER_BUTTON:
    case IDC_ADV_LID:
    case IDC_ADV_SLEEP_BUTTON:
    case IDC_ADV_COOLING:
        if (code == CBN_SELCHANGE) {
            NotifyModified();
            return true;
        }
        break;
    default:
        break;
    }
    return Dialog::OnCommand(id, code, control);
}

bool AdvancedPage::PreTranslateMessage(MSG& message) {
    // Escape and Enter would close the main dialog; on this page they do nothing, except in
    // an open drop-down list, which they accept or close.
    if (message.message == WM_KEYDOWN &&
        (message.wParam == VK_ESCAPE || message.wParam == VK_RETURN)) {
        const framework::Window* lists[] = {&powerButton_, &lid_, &sleepButton_, &cooling_};
        for (const framework::Window* list : lists) {
            if (list->Hwnd() != nullptr && list->Send(CB_GETDROPPEDSTATE) != FALSE) {
                return false;
            }
        }
        return true;
    }
    return Dialog::PreTranslateMessage(message);
}

bool AdvancedPage::OnHelp(const HELPINFO& help) {
    if (help.iContextType != HELPINFO_WINDOW) {
        return false;
    }
    ShowHelpFor(Hwnd(), help, static_cast<UINT>(help.iCtrlId));
    return true;
}

} // namespace applet
