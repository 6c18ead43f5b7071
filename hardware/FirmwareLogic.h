// The arithmetic on top of the firmware's control methods: which code is sent with which
// argument. No Windows here, so all of it is checked natively.
#pragma once

#include <cstdint>
#include <optional>

#include "NotebookPolicy.h"

namespace hardware {

// Method codes of the control-method library. "BCME" and CLCK run their letters from the
// least significant byte; the "EC0_." names from the most significant one.
inline constexpr std::uint32_t kMethodBrightness = 0x454D4342;     // "BCME"
inline constexpr std::uint32_t kMethodProcessorClock = 0x4B434C43; // CLCK
inline constexpr std::uint32_t kMethodThrottle = 0x41545349;       // "EC0_.ATSI"
inline constexpr std::uint32_t kMethodFanMode = 0x4E414643;        // "EC0_.NAFC"
inline constexpr std::uint32_t kMethodCycleCount = 0x434C5442;     // "EC0_.CLTB"
inline constexpr std::uint32_t kMethodWakeBits = 0x544B5045;       // "EC0_.TKPE"
inline constexpr std::uint32_t kMethodWakeBitsWrite = 0x57544B50;  // TKPE write, no text name
inline constexpr std::uint32_t kMethodFnUp = 0x466E5570;           // "EC0_.FnUp"
inline constexpr std::uint32_t kMethodDijp = 0x44494A50;           // "EC0_.DIJP"
inline constexpr std::uint32_t kMethodKoso = 0x4B4F534F;           // "EC0_.KOSO"

// The wake-bit write answers -1 when it failed; a read that answers -1 has no bits to keep.
inline constexpr int kMethodFailed = -1;

// Bits of the TKPE set that the suite owns.
inline constexpr std::uint32_t kWakeOnLidOpen = 0x20; // AutoResume
inline constexpr std::uint32_t kWakeHibernate = 0x40; // HibernateEnable

// Brightness steps of a mode: 1 "Highest" to 8 "Lowest".
inline constexpr std::uint32_t kBrightnessStepFirst = 1;
inline constexpr std::uint32_t kBrightnessStepLast = 8;

bool IsBrightnessStep(std::uint32_t step);
// 8 - step, the order the firmware counts in.
int BrightnessUpsideDown(std::uint32_t step);
// Percent sent for a step: (9 - step) x 12.5 without the fraction (100, 87, ..., 12).
int BrightnessPercent(std::uint32_t step);
// The same percentage for a valid step, nothing for one out of range (nothing is sent then).
std::optional<std::uint32_t> PanelPercentFor(std::uint32_t step);

// The bit set to write: sets keep every other bit; clears keep only the other bits of the
// low byte, as the firmware expects.
std::uint32_t WakeBitsWith(std::uint32_t current, std::uint32_t bit, bool on);

// Fan mode for a cooling method: 2 - CoolingMethod (0 sends 2, 1 sends 1, 2 sends 0). A
// method the suite does not know has no fan mode, so nothing out of range reaches the fan.
std::optional<std::uint32_t> FanModeFor(std::uint32_t coolingMethod);

// CoolingMethod that slows the processor instead of the fan; the mode's speed is then kept.
inline constexpr std::uint32_t kCoolingSilent = 2;

// CPUID leaf 1 reports Enhanced SpeedStep in ECX bit 7.
inline constexpr std::uint32_t kSpeedStepCpuidBit = 0x80;
int ProcessorKindFor(bool enhancedSpeedStep);

struct ProcessorSpeedRequest {
    std::uint32_t duty = 0;          // the mode's CPU_Duty for the column: 1 "Full" .. 4 "Low"
    std::uint32_t coolingMethod = 0; // GlobalPowerSettings::CoolingMethod
    bool enhancedSpeedStep = false;  // what the processor itself reports
    bool windowsXp = false;          // WindowsVersionClass 7
};

// Row flags of the policy record.
inline constexpr std::uint32_t kRowSetsThrottle = 0x04;
inline constexpr std::uint32_t kRowSetsClock = 0x02;

// What applying one processor step does, in order: the throttle (through the Windows
// processor policy on XP, the firmware elsewhere), then the clock.
struct ProcessorSpeedPlan {
    bool writeXpPolicy = false;
    bool sendThrottle = false;
    bool sendClock = false;
    std::uint32_t throttle = 0;
    std::uint32_t clock = 0;

    bool Empty() const { return !writeXpPolicy && !sendThrottle && !sendClock; }
};

// Nothing is planned when the policy has no processor control, the cooling method is silent,
// or the duty step is not one of the four rows.
ProcessorSpeedPlan PlanProcessorSpeed(const NotebookPolicy& policy,
                                      const ProcessorSpeedRequest& request);

} // namespace hardware
