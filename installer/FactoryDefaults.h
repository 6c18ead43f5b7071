// The factory settings and the five factory power save modes.
#pragma once

#include "GlobalPowerSettings.h"
#include "PowerSaveMode.h"

namespace installer {

inline constexpr int kFactoryModeCount = 5;
inline constexpr int kDvdMode = 4;
inline constexpr unsigned kJapaneseModel = 0x25;
inline constexpr unsigned kJapaneseLanguage = 0x411;

// String-table ids of each factory mode's name and description.
int FactoryNameId(int n);
int FactoryDescriptionId(int n);

// Global settings as shipped. Buttons default to stand by on notebooks whose policy says so;
// the lid also on the Japanese model on a Japanese system.
store::GlobalPowerSettings GlobalDefaults(bool policyButtonsStandBy, unsigned modelCode,
                                          unsigned languageId);

// Whether the "DVD PlayBack" mode is installed: everywhere but the Japanese model on a
// Japanese system.
bool InstallsDvdMode(unsigned modelCode, unsigned languageId);

// Numbers and icon of factory mode n (0..4); name and description come from resources.
// Returns false for any other n and leaves the mode untouched.
bool FactoryModeValues(int n, store::PowerSaveMode& mode);

} // namespace installer
