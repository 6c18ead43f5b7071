#include "BatteryDetailsDlg.h"

#include <algorithm>
#include <string>

#include "BatteryMeterPage.h"
#include "applet/logic/BatteryText.h"
#include "applet/res/resource.h"
#include "framework/WindowText.h"
#include "hardware/BatteryQueries.h"

namespace applet {

BatteryDetailsDlg::BatteryDetailsDlg(int index, const hardware::BatteryDevice& device)
    : Dialog(IDD_BATTERY_DETAILS, framework::TextKind::Narrow), index_(index), device_(device) {}

bool BatteryDetailsDlg::OnInitDialog() {
    Fill();
    return true;
}

void BatteryDetailsDlg::Fill() {
    framework::SetWindowText(
        Hwnd(), framework::LoadText(index_ == 0 ? IDS_DETAILS_CAPTION1 : IDS_DETAILS_CAPTION2));
    const BatteryReading reading = ReadBattery(index_, device_);
    framework::SetItemText(Hwnd(), IDC_DETAILS_STATE,
                           reading.present ? BatteryStateWords(reading.powerState)
                                           : framework::LoadText(IDS_NOT_PRESENT));
    BATTERY_INFORMATION information{};
    std::string chemistry;
    if (hardware::QueryBatteryInformation(index_, information, device_) ==
        hardware::BatteryQuery::Succeeded) {
        // Four characters, not terminated; a shorter name ends at its first zero.
        const auto* bytes = reinterpret_cast<const char*>(information.Chemistry);
        chemistry.assign(bytes, std::find(bytes, bytes + sizeof(information.Chemistry), '\0'));
    }
    framework::SetItemText(Hwnd(), IDC_DETAILS_CHEMISTRY, chemistry);
    char name[hardware::kBatteryTextSize] = {};
    if (!hardware::BatteryDeviceName(index_, name, device_)) {
        name[0] = '\0';
    }
    framework::SetItemText(Hwnd(), IDC_DETAILS_NAME, name);
    char uniqueId[hardware::kBatteryTextSize] = {};
    if (!hardware::BatteryUniqueId(index_, uniqueId, device_)) {
        uniqueId[0] = '\0';
    }
    framework::SetItemText(Hwnd(), IDC_DETAILS_UNIQUE_ID, uniqueId);
}

bool BatteryDetailsDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_DETAILS_REFRESH && code == BN_CLICKED) {
        Fill();
        return true;
    }
    return Dialog::OnCommand(id, code, control);
}

} // namespace applet
