// The Battery Power Meter page: the power source and, for up to two batteries, their state
// and charge as text bars; a battery's icon button opens its details. It only reads.
#pragma once

#include <cstdint>
#include <string>

#include "applet/controls/HoverButton.h"
#include "applet/controls/IconStatic.h"
#include "applet/controls/TextProgressCtrl.h"
#include "applet/pages/BatteryReader.h"
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
// Presence and state bits only (no charge).
BatteryReading ReadBatteryState(int index, const hardware::BatteryDevice& device);
BatteryReading ReadBattery(int index, const hardware::BatteryDevice& device);

// Everything one refresh of the page shows.
struct MeterReading {
    bool online = false;
    BatteryReading batteries[2];
};
MeterReading ReadMeter(const hardware::BatteryDevice& device);
std::string BatteryStateWords(std::uint32_t powerState);

class BatteryMeterPage : public framework::Dialog {
public:
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshPeriod = 30000;
    static constexpr UINT kReadDone = WM_APP + 141; // the worker's reading is ready

    BatteryMeterPage();

    // The battery device class the page asks; the system's unless a test gives another.
    void SetBatteryDevice(const hardware::BatteryDevice* device) { device_ = device; }
    const hardware::BatteryDevice& Device() const;
    // Reads the batteries away from the window; the page shows the result when it comes.
    void Refresh();
    bool Reading() const { return reader_.Busy(); }

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    bool OnHelp(const HELPINFO& help) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Show(const MeterReading& reading);
    void ShowBattery(int index, const BatteryReading& reading);
    void SetButtonIcon(int index, UINT icon);
    void ShowDetails(int index);

    hardware::SystemBatteryDevice systemDevice_;
    const hardware::BatteryDevice* device_ = nullptr;
    IconStatic sourceIcon_;
    HoverButton buttons_[2];
    TextProgressCtrl bars_[2];
    UINT buttonIcons_[2] = {};
    MeterReading reading_; // written by the reader's thread until its message comes
    BatteryReader reader_; // last: goes first, waiting for a read that uses the above
};

} // namespace applet
