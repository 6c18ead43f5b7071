#include "TimerDispatch.h"

#include "TrayIds.h"

namespace tray {

TimerAction DecideTimer(std::uintptr_t timerId, std::uintptr_t refreshPending) {
    if (timerId == TIMER_REFRESH_POWER_OPTIONS || refreshPending != 0) {
        return TimerAction::RefreshPowerOptions;
    }
    switch (timerId) {
    case TIMER_HIDE_SYSTEM_METER:
        return TimerAction::HideSystemMeter;
    case TIMER_LINKED_PROGRAMS:
        return TimerAction::CheckLinkedPrograms;
    case TIMER_BATTERY_LEARNING:
        return TimerAction::CheckBatteryLearning;
    case TIMER_SINGLE_CLICK:
        return TimerAction::SingleClick;
    case TIMER_RESUME:
        return TimerAction::Resume;
    default:
        return TimerAction::None;
    }
}

bool ShouldArmRefresh(std::uintptr_t request, std::uintptr_t refreshPending) {
    return request != refreshPending;
}

} // namespace tray
