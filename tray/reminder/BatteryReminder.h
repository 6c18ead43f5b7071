// The battery reconditioning reminder: a nickel-metal-hydride pack should be run flat and
// charged again now and then; the tray suggests it every so many charge cycles. It looks at
// the battery a few times early in the session.
#pragma once

#include <windows.h>

#include "Firmware.h"

namespace tray {

// What one check found: check again later, stop checking, or stop and remind now.
enum class LearningCheck { Again, Done, Remind };

class BatteryReminder {
public:
    explicit BatteryReminder(hardware::FirmwarePort& firmware) : firmware_(firmware) {}

    // One of the early checks. Anything but Again ends the checks for good: a check asked
    // for after that (a timer message already on its way) finds nothing to do. In read-only
    // mode a pack to recondition ends the checks without a reminder.
    LearningCheck Check(bool readOnly);

    // The reminder itself, a modal dialog owned by `owner` when the stored state says so.
    void Remind(HWND owner);

private:
    hardware::FirmwarePort& firmware_;
    int checks_ = 0;
    bool done_ = false;
};

} // namespace tray
