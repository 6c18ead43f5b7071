// The suite's Windows scheme "Power Management" on Windows Vista and later: found, made as a
// copy of Balanced, written, activated and removed through the power-scheme interface.
//
// The scheme is made with a GUID of the suite's own, so that it is found again by that GUID
// when the user renames it; a scheme found by its name (one made by a library that chose its
// own GUID) is taken as well. One deleted behind the suite's back is made again by "Initial".
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "PowerSchemeApi.h"
#include "SchemeSettings.h"

namespace store {

extern const GUID kSuiteSchemeGuid;
extern const GUID kBalancedSchemeGuid; // GUID_TYPICAL_POWER_SAVINGS

// The subgroup and setting GUIDs a value is written under; false for none.
bool SchemeSettingGuids(SchemeSetting setting, GUID& subgroup, GUID& guid);

// The suite's scheme, or nothing when there is none (or the interface is missing).
std::optional<GUID> FindSuiteScheme(PowerSchemeApi& api);

// Finds the scheme, or makes it where it is missing: a copy of Balanced named and described
// "Power Management", holding `initial`. Nothing when it can neither be found nor made.
std::optional<GUID> EnsureSuiteScheme(PowerSchemeApi& api, const std::vector<SchemeValue>& initial);

// Writes each value as both the AC and the DC index of the scheme. A value the system
// refuses is traced and the rest are still written. Returns how many writes were refused.
int WriteSchemeValues(PowerSchemeApi& api, const GUID& scheme,
                      const std::vector<SchemeValue>& values);

// Makes the scheme active, so that Windows applies what was written; traced on failure.
bool ActivateScheme(PowerSchemeApi& api, const GUID& scheme);

// The removal: Balanced becomes active, then the suite's scheme is deleted. Returns whether
// no suite scheme is left.
bool RemoveSuiteScheme(PowerSchemeApi& api);

} // namespace store
