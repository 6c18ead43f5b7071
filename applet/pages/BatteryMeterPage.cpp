#include "BatteryMeterPage.h"

#include <commctrl.h>

#include "BatteryDetailsDlg.h"
#include "applet/AppletMessages.h"
#include "applet/controls/HelpPopup.h"
#include "applet/logic/BatteryText.h"
#include "applet/logic/ProgressRules.h"
#include "applet/res/resource.h"
#include "framework/Application.h"
#include "framework/WindowText.h"
#include "hardware/BatteryQueries.h"
#include "hardware/PowerStatus.h"

namespace applet {

namespace {

constexpr COLORREF kBarFirst = 0xFF00FF;
constexpr COLORREF kBarSecond = 0xFF0000;
constexpr COLORREF kBarBackground = 0x808080;

} // namespace

BatteryReading ReadBatteryState(int index, const hardware::BatteryDevice& device) {
    BatteryReading reading;
    BATTERY_STATUS status{};
    const hardware::BatteryQuery query = hardware::QueryBatteryStatus(index, status, device);
    reading.deviceFound = query != hardware::BatteryQuery::NoDevice;
    reading.present = query == hardware::BatteryQuery::Succeeded;
    reading.powerState = reading.present ? status.PowerState : 0;
    return reading;
}

BatteryReading ReadBattery(int index, const hardware::BatteryDevice& device) {
    BatteryReading reading = ReadBatteryState(index, device);
    reading.percent = reading.present ? hardware::BatteryCharge(index, device) : -1;
    return reading;
}

MeterReading ReadMeter(const hardware::BatteryDevice& device) {
    MeterReading reading;
    reading.online = hardware::AcLineStatus() == 1;
    reading.batteries[0] = ReadBattery(0, device);
    // One status query of #2 tells both whether its device opens and what it reads.
    reading.batteries[1] = ReadBattery(1, device);
    return reading;
}

std::string BatteryStateWords(std::uint32_t powerState) {
    const BatteryWords words{
        framework::LoadText(IDS_STATE_ON_LINE), framework::LoadText(IDS_STATE_DISCHARGING),
        framework::LoadText(IDS_STATE_CHARGING), framework::LoadText(IDS_STATE_CRITICAL),
        framework::LoadText(IDS_LIST_SEPARATOR)};
    return BatteryStateText(powerState, words);
}

BatteryMeterPage::BatteryMeterPage() : Dialog(IDD_BATTERY_PAGE, framework::TextKind::Narrow) {}

const hardware::BatteryDevice& BatteryMeterPage::Device() const {
    return device_ != nullptr ? *device_ : systemDevice_;
}

bool BatteryMeterPage::OnInitDialog() {
    ::SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE,
                        ::GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    sourceIcon_.SubclassDlgItem(IDC_METER_SOURCE_ICON, Hwnd());
    const int buttonIds[] = {IDC_METER_BUTTON1, IDC_METER_BUTTON2};
    const int barIds[] = {IDC_METER_BAR1, IDC_METER_BAR2};
    for (int i = 0; i < 2; ++i) {
        TextProgressCtrl& bar = bars_[i];
        bar.SubclassDlgItem(barIds[i], Hwnd());
        bar.Send(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        bar.Send(PBM_SETBARCOLOR, kBarSecond, kBarFirst);
        bar.Send(PBM_SETBKCOLOR, 0, kBarBackground);
        bar.SetText(framework::WindowText(bar.Hwnd()), kTextPercent);
        buttons_[i].SubclassDlgItem(buttonIds[i], Hwnd());
        buttons_[i].SetIcons(IDI_BATTERY);
        buttonIcons_[i] = IDI_BATTERY;
    }
    buttons_[1].SetColour(HoverButton::kHoverBackground, ::GetSysColor(COLOR_BTNFACE));
    // #2 stays hidden until a reading finds its device.
    for (const HWND hwnd : {buttons_[1].Hwnd(), bars_[1].Hwnd(), Item(IDC_METER_LABEL2)}) {
        ::ShowWindow(hwnd, SW_HIDE);
    }
    Refresh();
    SetTimer(kRefreshTimer, kRefreshPeriod);
    return true;
}

void BatteryMeterPage::Refresh() {
    if (Hwnd() == nullptr) {
        return;
    }
    const hardware::BatteryDevice& device = Device();
    reader_.Request(Hwnd(), kReadDone, [this, &device] { reading_ = ReadMeter(device); });
}

LRESULT BatteryMeterPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (reader_.Handle(message, [this] { Show(reading_); })) {
        return 0;
    }
    return Dialog::WindowProc(message, wParam, lParam);
}

void BatteryMeterPage::Show(const MeterReading& reading) {
    framework::SetItemText(Hwnd(), IDC_METER_SOURCE_TEXT,
                           framework::LoadText(reading.online ? IDS_AC_POWER : IDS_BATTERY_POWER));
    sourceIcon_.SetIcon(reading.online ? IDI_AC_POWER : IDI_BATTERY);
    ShowBattery(0, reading.batteries[0]);
    const bool second = reading.batteries[1].deviceFound;
    for (const HWND hwnd : {buttons_[1].Hwnd(), bars_[1].Hwnd(), Item(IDC_METER_LABEL2)}) {
        ::ShowWindow(hwnd, second ? SW_SHOW : SW_HIDE);
    }
    if (second) {
        ShowBattery(1, reading.batteries[1]);
    }
    ::RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void BatteryMeterPage::SetButtonIcon(int index, UINT icon) {
    // Loading the icons is most of a refresh's cost on this thread: only when they change.
    if (buttonIcons_[index] != icon) {
        buttons_[index].SetIcons(icon);
        buttonIcons_[index] = icon;
    }
}

void BatteryMeterPage::ShowBattery(int index, const BatteryReading& reading) {
    HoverButton& button = buttons_[index];
    TextProgressCtrl& bar = bars_[index];
    if (!reading.present) {
        SetButtonIcon(index, IDI_NO_BATTERY);
        bar.SetText(framework::LoadText(IDS_NOT_PRESENT), kTextPlain);
    } else {
        SetButtonIcon(index, IDI_BATTERY);
        ::EnableWindow(button.Hwnd(), TRUE);
        bar.SetText(BatteryBarFormat(BatteryStateWords(reading.powerState),
                                     framework::LoadText(IDS_BAR_FORMAT)),
                    kTextPercent);
    }
    bar.Send(PBM_SETPOS, static_cast<WPARAM>(reading.percent >= 0 ? reading.percent : 0));
}

void BatteryMeterPage::ShowDetails(int index) {
    BatteryDetailsDlg dialog(index, Device());
    dialog.DoModal(Hwnd());
    Refresh();
    SendToMainWindow(WM_TIMER, 1);
}

bool BatteryMeterPage::OnCommand(UINT id, UINT code, HWND control) {
    if (code == BN_CLICKED && (id == IDC_METER_BUTTON1 || id == IDC_METER_BUTTON2)) {
        ShowDetails(id == IDC_METER_BUTTON1 ? 0 : 1);
        return true;
    }
    return Dialog::OnCommand(id, code, control);
}

void BatteryMeterPage::OnTimer(UINT_PTR id) {
    if (id == kRefreshTimer) {
        Refresh();
    }
}

bool BatteryMeterPage::OnHelp(const HELPINFO& help) {
    if (help.iContextType != HELPINFO_WINDOW) {
        return false;
    }
    ShowHelpFor(Hwnd(), help, static_cast<UINT>(help.iCtrlId));
    return true;
}

} // namespace applet
