// What a tick of one of the frame's timers does, and when a refresh request arms its timer.
#pragma once

#include <cstdint>

namespace tray {

enum class TimerAction {
    RefreshPowerOptions,
    HideSystemMeter,
    CheckLinkedPrograms,
    CheckBatteryLearning,
    SingleClick,
    Resume,
    None,
};

// While a refresh is pending, the next tick of any timer performs it instead of its own work.
TimerAction DecideTimer(std::uintptr_t timerId, std::uintptr_t refreshPending);

// A refresh request arms the timer only when it differs from the one already pending (0 is
// "none pending").
bool ShouldArmRefresh(std::uintptr_t request, std::uintptr_t refreshPending);

} // namespace tray
