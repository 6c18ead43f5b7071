#include "BatteryDetailsDlg.h"

#include <algorithm>

#include "applet/logic/BatteryText.h"
#include "applet/res/resource.h"
#include "framework/WindowText.h"

namespace applet {

BatteryDetails ReadDetails(int index, const hardware::BatteryDevice& device) {
    BatteryDetails details;
    details.state = ReadBatteryState(index, device);
    BATTERY_INFORMATION information{};
    if (hardware::QueryBatteryInformation(index, information, device) ==
        hardware::BatteryQuery::Succeeded) {
        // Four characters, not terminated; a shorter name ends at its first zero.
        const auto* bytes = reinterpret_cast<const char*>(information.Chemistry);
        details.chemistry.assign(bytes,
                                 std::find(bytes, bytes + sizeof(information.Chemistry), '\0'));
    }
    char text[hardware::kBatteryTextSize] = {};
    if (hardware::BatteryDeviceName(index, text, device)) {
        details.name = text;
    }
    if (hardware::BatteryUniqueId(index, text, device)) {
        details.uniqueId = text;
    }
    return details;
}

BatteryDetailsDlg::BatteryDetailsDlg(int index, const hardware::BatteryDevice& device)
    : Dialog(IDD_BATTERY_DETAILS, framework::TextKind::Narrow), index_(index), device_(device) {}

bool BatteryDetailsDlg::OnInitDialog() {
    framework::SetWindowText(
        Hwnd(), framework::LoadText(index_ == 0 ? IDS_DETAILS_CAPTION1 : IDS_DETAILS_CAPTION2));
    Fill();
    return true;
}

void BatteryDetailsDlg::Fill() {
    reader_.Request(Hwnd(), kReadDone, [this] { details_ = ReadDetails(index_, device_); });
}

LRESULT BatteryDetailsDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (reader_.Handle(message, [this] { Show(details_); })) {
        return 0;
    }
    return Dialog::WindowProc(message, wParam, lParam);
}

void BatteryDetailsDlg::Show(const BatteryDetails& details) {
    framework::SetItemText(Hwnd(), IDC_DETAILS_STATE,
                           details.state.present ? BatteryStateWords(details.state.powerState)
                                                 : framework::LoadText(IDS_NOT_PRESENT));
    framework::SetItemText(Hwnd(), IDC_DETAILS_CHEMISTRY, details.chemistry);
    framework::SetItemText(Hwnd(), IDC_DETAILS_NAME, details.name);
    framework::SetItemText(Hwnd(), IDC_DETAILS_UNIQUE_ID, details.uniqueId);
}

bool BatteryDetailsDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_DETAILS_REFRESH && code == BN_CLICKED) {
        Fill();
        return true;
    }
    return Dialog::OnCommand(id, code, control);
}

} // namespace applet
