// Readings of the system power status.
#pragma once

namespace hardware {

// BatteryLifePercent, or -1 when the call fails or the system has no reading (255).
int BatteryPercent();
// 0 off line, 1 on line, -1 for anything else or a failed call.
int AcLineStatus();
// 1 when the system reports no battery (BatteryFlag bit 0x80), else 0.
int NoSystemBattery();

} // namespace hardware
