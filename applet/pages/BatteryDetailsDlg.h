// Details of one battery: power state, chemistry, device name and unique id, read again on
// Refresh. The queries run away from the window, which fills in their answers when they come.
#pragma once

#include <string>

#include "applet/pages/BatteryMeterPage.h"
#include "applet/pages/BatteryReader.h"
#include "framework/Dialog.h"
#include "hardware/BatteryDevice.h"
#include "hardware/BatteryQueries.h"

namespace applet {

// What the details show of battery `index`; empty texts where a query failed.
struct BatteryDetails {
    BatteryReading state;
    std::string chemistry;
    std::string name;
    std::string uniqueId;
};
BatteryDetails ReadDetails(int index, const hardware::BatteryDevice& device);

class BatteryDetailsDlg : public framework::Dialog {
public:
    static constexpr UINT kReadDone = WM_APP + 142; // the worker's reading is ready

    BatteryDetailsDlg(int index, const hardware::BatteryDevice& device);

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Fill();
    void Show(const BatteryDetails& details);

    int index_;
    const hardware::BatteryDevice& device_;
    BatteryDetails details_; // written by the reader's thread until its message comes
    BatteryReader reader_; // last: goes first, waiting for a read that uses the above
};

} // namespace applet
