// The rules that turn the suite's settings into Windows power-policy values, kept free of the
// platform's record layouts so that they can be checked on their own.
#pragma once

#include <cstdint>

#include "GlobalPowerSettings.h"
#include "PowerSaveMode.h"

namespace store {

// A column that may index the per-mode arrays: 0..3 as given; anything else, including -1
// for an unknown battery level, gives column 0.
int ValidColumn(int column);

// Time-outs in seconds and the idle action of one column of a mode.
struct ModeTimeouts {
    std::uint32_t idleAction = kActionSleep;
    std::uint32_t idleTimeout = 0;
    std::uint32_t videoTimeout = 0;
    std::uint32_t spindownTimeout = 0;
    std::uint32_t dozeS4Timeout = 0; // hibernate this long after stand-by began; 0: never
};

// Shortest hibernate-after-stand-by time-out, used when the hibernate time-out is not longer
// than the stand-by time-out (the difference would otherwise wrap or mean "never").
inline constexpr std::uint32_t kMinDozeS4Timeout = 60;

ModeTimeouts ModeTimeoutsFor(const PowerSaveMode& mode, int column);

// One button or lid policy; the AC and DC halves of the Windows record get the same values.
struct ButtonRule {
    std::uint32_t action = kActionNone;
    std::uint32_t flags = 0;
    std::uint32_t eventCode = 0;
};

struct ButtonRules {
    ButtonRule powerButton;
    ButtonRule sleepButton;
    ButtonRule lidClose;
};

inline constexpr std::uint32_t kButtonFlags = 0x3;     // query allowed, UI allowed
inline constexpr std::uint32_t kLidFlags = 0x1;        // query allowed
inline constexpr std::uint32_t kNotifyShutdown = 0x10; // let the user choose at the button
inline constexpr std::uint32_t kForceTriggerReset = 0x80000000;

ButtonRules ButtonRulesFor(const GlobalPowerSettings& settings, int versionClass);

inline constexpr std::uint32_t kGlobalFlagBatteryMeter = 0x01;
inline constexpr std::uint32_t kGlobalFlagPasswordLogon = 0x04;

// The system's battery meter flag is always cleared (the tray shows its own icon), the
// password flag follows the setting, the other bits of the low byte stay.
std::uint32_t GlobalFlagsFor(std::uint32_t oldFlags, std::uint32_t passwordLogonEnable);

} // namespace store
