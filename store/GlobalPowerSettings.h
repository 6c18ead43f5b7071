// The machine-wide settings of the suite and the battery alarms inside them.
#pragma once

#include <cstdint>

namespace store {

// Six little-endian words, stored as one 24-byte REG_BINARY value.
struct BatteryAlarm {
    std::uint32_t Enable = 0; // only the low byte counts
    std::uint32_t Level = 0;
    std::uint32_t Action = 0;
    std::uint32_t Flags = 0;
    std::uint32_t Notify = 0;
    std::uint32_t MinState = 0;
};
static_assert(sizeof(BatteryAlarm) == 24);

// System power actions as the operating system numbers them.
enum PowerActionValue : std::uint32_t {
    kActionNone = 0,
    kActionSleep = 2,
    kActionHibernate = 3,
    kActionShutdownOff = 6,
};

struct GlobalPowerSettings {
    std::uint32_t PwrSchemeAC = 0;
    std::uint32_t PwrSchemeDC = 0;
    std::uint32_t HibernateEnable = 0;
    std::uint32_t SysTrayBatteryMeterEnable = 0;
    std::uint32_t PasswordLogonEnable = 0;
    std::uint32_t CoolingMethod = 0;
    std::uint32_t AutoResume = 0;
    std::uint32_t PowerButton = 0;
    std::uint32_t LidClose = 0;
    std::uint32_t SleepButton = 0;
    BatteryAlarm LowAlarm;
    BatteryAlarm CriticalAlarm;
};

} // namespace store
