// How the tool names and prints the scheme settings the suite writes on Vista and later. The
// settings, their GUIDs and their values come from the store (SchemeSettings.h,
// SuiteScheme.h); only the words are the tool's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SchemeSettings.h"

namespace storedump {

// Every setting the store has GUIDs for, in the store's order.
std::vector<store::SchemeSetting> SuiteSchemeSettings();

// A short name, for the tool's own lines and where the system has no name for the setting.
const char* SettingLabel(store::SchemeSetting setting);

// Whether the value comes from a mode's column; the others come from the global settings and
// are the same for every mode and column.
bool FromColumn(store::SchemeSetting setting);

// The value as people read it: time-outs in minutes, percentages, actions by name.
std::string SettingValueText(store::SchemeSetting setting, std::uint32_t value);

} // namespace storedump
