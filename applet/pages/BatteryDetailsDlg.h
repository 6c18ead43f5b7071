// Details of one battery: power state, chemistry, device name and unique id, read again on
// Refresh.
#pragma once

#include "framework/Dialog.h"
#include "hardware/BatteryDevice.h"

namespace applet {

class BatteryDetailsDlg : public framework::Dialog {
public:
    BatteryDetailsDlg(int index, const hardware::BatteryDevice& device);

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void Fill();

    int index_;
    const hardware::BatteryDevice& device_;
};

} // namespace applet
