// The applet's main dialog: the tab pages, the vertical battery gauge and the About button.
// Opening runs the start checks; Apply or OK writes every page back to the store and tells
// the tray program.
#pragma once

#include <windows.h>

#include <memory>

#include "applet/controls/HoverButton.h"
#include "applet/controls/TextProgressCtrl.h"
#include "framework/Dialog.h"
#include "framework/TabPageHost.h"
#include "framework/UniqueHandle.h"
#include "hardware/StartSequence.h"
#include "store/SchemeStore.h"

namespace applet {

class PowerSaveModesPage;
class AlarmPage;
class AdvancedPage;
class BatteryMeterPage;

class CPMDlg : public framework::Dialog {
public:
    static constexpr UINT_PTR kGaugeTimer = 1;
    static constexpr UINT kGaugePeriod = 30000;
    // How long Apply waits for the tray to take the change in.
    static constexpr UINT kTrayWait = 5000;

    CPMDlg();
    ~CPMDlg() override;

    // The start checks, "Initial", then the dialog; 0 when a check stopped the opening.
    INT_PTR DoModal(HWND parent = nullptr) override;

    // Tests run the opening against other libraries and without boxes on the desktop.
    void SetStartOptions(hardware::StartOptions options) { startOptions_ = std::move(options); }

    store::GlobalPowerSettings& Settings() { return settings_.global; }
    bool HibernateEnabled() const { return hibernateEnabled_; }
    bool HibernateSupported() const { return hibernateSupported_; }
    framework::TabPageHost& Pages() { return host_; }
    PowerSaveModesPage* Modes() const { return modesPage_.get(); }
    AlarmPage* Alarm() const { return alarmPage_.get(); }
    AdvancedPage* Advanced() const { return advancedPage_.get(); }
    BatteryMeterPage* Meter() const { return meterPage_.get(); }
    const TextProgressCtrl& Gauge() const { return gauge_; }

    void Apply();
    void UpdateGauge();

    bool PreTranslateMessage(MSG& message) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnTimer(UINT_PTR id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SavePages();
    void SetUpGauge();
    void AddTabs();
    void SettleHibernation();
    void CreatePages();
    void SpreadHibernate(bool enabled);
    bool PaintMinimised();
    void DestroyPages();

    hardware::StartOptions startOptions_;
    store::SchemeStore settings_;
    bool hibernateEnabled_ = false;
    bool hibernateSupported_ = false;
    std::unique_ptr<PowerSaveModesPage> modesPage_;
    std::unique_ptr<AlarmPage> alarmPage_;
    std::unique_ptr<AdvancedPage> advancedPage_;
    std::unique_ptr<BatteryMeterPage> meterPage_;
    HoverButton about_;
    TextProgressCtrl gauge_;
    framework::UniqueIcon bigIcon_;
    framework::UniqueIcon smallIcon_;
    framework::UniqueFont gaugeFont_;
    framework::TabPageHost host_;
};

} // namespace applet
