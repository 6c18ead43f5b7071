// Numbers the tray program shares with the outside: its window's private messages (other
// programs send some of them), the timers of its frame and the commands of its menus.
#pragma once

#include <cstdint>

#include "store/SuiteMessages.h"

namespace tray {

inline constexpr const char* kFrameClassName = store::kTrayWindowClass;
using store::WM_SCHEME_CHANGED;
using store::WM_TRAY_EXIT;

// Private messages above WM_APP (0x8000).
inline constexpr unsigned WM_HOOK_NOTIFY = 0x8032; // handed to the keyboard hook only
inline constexpr unsigned WM_TRAY_NOTIFY = 0x8064; // mouse messages of the tray icon
inline constexpr unsigned WM_REFRESH_POWER_OPTIONS = 0x8082;
inline constexpr unsigned WM_FOREGROUND_CHANGED = 0x8084; // the linked-program answer may change
inline constexpr unsigned WM_CONFIRM_ICON = 0x8086;  // to the icon's window: is it still shown?
inline constexpr unsigned WM_STORE_CHANGED = 0x8088; // another program wrote the user's store

// Timers of the frame window.
inline constexpr std::uintptr_t TIMER_REFRESH_POWER_OPTIONS = 1;
inline constexpr std::uintptr_t TIMER_HIDE_SYSTEM_METER = 3;
inline constexpr std::uintptr_t TIMER_LINKED_PROGRAMS = 5;
inline constexpr std::uintptr_t TIMER_BATTERY_LEARNING = 7;
inline constexpr std::uintptr_t TIMER_SINGLE_CLICK = 8;
inline constexpr std::uintptr_t TIMER_RESUME = 9;

inline constexpr unsigned kRefreshPowerOptionsPeriod = 10;
inline constexpr unsigned kHideSystemMeterPeriod = 5000;
inline constexpr unsigned kLinkedProgramsPeriod = 1000;
inline constexpr unsigned kBatteryLearningPeriod = 5 * 60 * 1000;
inline constexpr unsigned kResumeDelay = 2000;
// The pause after a power-status change before Windows' own meter is looked for again.
inline constexpr unsigned kPowerStatusSettle = 200;

// The icon's id with the shell; mouse messages for any other id are not ours.
inline constexpr unsigned kTrayIconId = 128;

// Menu commands. Scheme commands carry the scheme id above the first one.
inline constexpr unsigned ID_ADJUST_PROPERTIES = 139;
inline constexpr unsigned ID_SCHEME_FIRST = 33768;
inline constexpr unsigned ID_SCHEME_LAST = 34768;
inline constexpr unsigned ID_APP_ABOUT = 57664;

// The highest scheme id a menu command can name, so also the last id the tray reads.
inline constexpr int kMaxSchemeId = static_cast<int>(ID_SCHEME_LAST - ID_SCHEME_FIRST);

} // namespace tray
