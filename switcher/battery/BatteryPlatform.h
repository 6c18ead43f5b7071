// The battery logic's inputs as the system gives them: the power status, the battery texts
// of the string table, and which setting a power-setting notification is about.
#pragma once

#include <windows.h>

#include "switcher/ResourceText.h"
#include "switcher/logic/BatteryStatusLogic.h"

namespace switcher {

// GUID_BATTERY_PERCENTAGE_REMAINING {A7AD8041-B45A-4CAE-87A3-EECBB468A9E1}, spelled out so that
// no GUID library has to be linked for it.
inline constexpr GUID kBatteryPercentageRemaining = {
    0xA7AD8041, 0xB45A, 0x4CAE, {0x87, 0xA3, 0xEE, 0xCB, 0xB4, 0x68, 0xA9, 0xE1}};

PowerStatus ToPowerStatus(const SYSTEM_POWER_STATUS& status);

// GetSystemPowerStatus; a failed call gives a status with everything unknown.
PowerStatus ReadPowerStatus();

// String 1004, split at tabs: loaded afresh for every step, as the language may change.
ResourceTokens LoadBatteryTexts(HINSTANCE module);

// Whether the lParam of PBT_POWERSETTINGCHANGE reports GUID_BATTERY_PERCENTAGE_REMAINING;
// false for no data (0), which is how the dialog asks itself for a refresh.
bool IsBatteryPercentageNotification(LPARAM data);

} // namespace switcher
