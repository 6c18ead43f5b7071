#include "PowerStatus.h"

#include <windows.h>

#include "BatteryLogic.h"

namespace hardware {

namespace {

struct StatusReading {
    bool ok = false;
    SYSTEM_POWER_STATUS status{};
};

StatusReading ReadStatus() {
    StatusReading reading;
    reading.ok = ::GetSystemPowerStatus(&reading.status) != FALSE;
    return reading;
}

} // namespace

int BatteryPercent() {
    const StatusReading r = ReadStatus();
    return PercentFromStatus(r.ok, r.status.BatteryLifePercent);
}

int AcLineStatus() {
    const StatusReading r = ReadStatus();
    return AcStatusFromStatus(r.ok, r.status.ACLineStatus);
}

int NoSystemBattery() {
    const StatusReading r = ReadStatus();
    return NoBatteryFromStatus(r.ok, r.status.BatteryFlag);
}

} // namespace hardware
