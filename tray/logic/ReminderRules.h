// The battery reconditioning reminder: when to show it, and what each answer stores.
// MsgFlg 0 reminds every 50 charge cycles, 1 at NextCycle, 2 never.
#pragma once

#include <cstdint>
#include <string_view>

namespace tray {

inline constexpr std::uint32_t kRemindEvery50 = 0;
inline constexpr std::uint32_t kRemindAtNext = 1;
inline constexpr std::uint32_t kRemindNever = 2;

// The four chemistry characters of the battery information: only a nickel-metal-hydride pack
// ("NiMh", any case) is reconditioned.
bool NeedsReconditioning(std::string_view chemistry);

enum class ReminderStep {
    Nothing,
    Show,
    Reset, // back to the 50-cycle rule: store MsgFlg 0, NextCycle 0
};

// `cycle` is the charge-cycle count the embedded controller reports. A failed reading (-1)
// never shows the dialog and leaves a stored answer as it is: compared with NextCycle it
// would read as "far below" and wipe a "Remind Me Later" or "No". Only an unknown MsgFlg is
// reset whatever the count.
ReminderStep DecideReminder(std::uint32_t msgFlg, std::uint32_t nextCycle, int cycle);

// Cycles until the next reminder after "Yes" or "No", and after "Remind Me Later".
inline constexpr int kAnswerStep = 50;
inline constexpr int kLaterStep = 10;

// cycle + step, reduced modulo 250 when it exceeds 250.
std::uint32_t NextReminderCycle(int cycle, int step);

struct ReminderChoice {
    std::uint32_t msgFlg = kRemindEvery50;
    std::uint32_t nextCycle = 0;
};

// "Yes" and "No": never again when the box is ticked, else in 50 cycles.
ReminderChoice ChoiceForAnswer(bool neverAgain, int cycle);
// "Remind Me Later": in 10 cycles.
ReminderChoice ChoiceForLater(int cycle);

} // namespace tray
