// The Battery Power Meter page: the power source and, for up to two batteries, their state
// and charge as text bars; a battery's icon button opens its details. It only reads.
#pragma once

#include <cstdint>
#include <string>

#include "applet/controls/HoverButton.h"
#include "applet/controls/IconStatic.h"
#include "applet/controls/TextProgressCtrl.h"
#include "framework/Dialog.h"
#include "hardware/BatteryDevice.h"

namespace applet {

// State text of battery `index` ("Not Present" when it cannot be queried), and its charge.
struct BatteryReading {
    bool present = false;
    bool deviceFound = false;
    std::uint32_t powerState = 0;
    int percent = -1;
};
BatteryReading ReadBattery(int index, const hardware::BatteryDevice& device);
std::string BatteryStateWords(std::uint32_t powerState);

class BatteryMeterPage : public framework::Dialog {
public:
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshPeriod = 30000;

    BatteryMeterPage();

    // The battery device class the page asks; the system's unless a test gives another.
    void SetBatteryDevice(const hardware::BatteryDevice* device) { device_ = device; }
    const hardware::BatteryDevice& Device() const;
    void Refresh();

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    bool OnHelp(const HELPINFO& help) override;

private:
    void UpdateBattery(int index, HoverButton& button, TextProgressCtrl& bar);
    void ShowDetails(int index);

    hardware::SystemBatteryDevice systemDevice_;
    const hardware::BatteryDevice* device_ = nullptr;
    IconStatic sourceIcon_;
    HoverButton buttons_[2];
    TextProgressCtrl bars_[2];
};

} // namespace applet
