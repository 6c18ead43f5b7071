// The battery reconditioning reminder: a nickel-metal-hydride pack should be run flat and
// charged again now and then; the tray suggests it every so many charge cycles. It looks at
// the battery a few times early in the session.
#pragma once

#include <windows.h>

#include "Firmware.h"

namespace tray {

class BatteryReminder {
public:
    explicit BatteryReminder(hardware::FirmwarePort& firmware) : firmware_(firmware) {}

    // One of the early checks; false once no further check is wanted (the pack is one to
    // recondition, or the checks are used up). The reminder's dialog is owned by
    // `owner`; in read-only mode nothing is shown or written.
    bool Check(HWND owner, bool readOnly);

    int Checks() const { return checks_; }

private:
    void Remind(HWND owner);

    hardware::FirmwarePort& firmware_;
    int checks_ = 0;
};

} // namespace tray
