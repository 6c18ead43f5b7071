// The power manager's records in the XP registry layout. Each step opens and closes its keys;
// a record is accepted only with its exact size and type, so a damaged one is refused
// (ERROR_INVALID_DATA) instead of being half read.
#pragma once

#include <vector>

#include "PowerSchemeLayout.h"

namespace powrprof {

// Whether the machine lets this user change power schemes (the emulator's state).
bool UserMayWriteSchemes();

LONG ReadScheme(UINT id, POWER_POLICY& policy);
// The two policy records only; the names are written by the caller of this step.
LONG WriteScheme(UINT id, const POWER_POLICY& policy);
LONG ReadSchemeTexts(UINT id, std::wstring& name, std::wstring& description);
bool SchemeExists(UINT id);
// Numbers of the user's schemes in ascending order; subkeys that are not numbers are skipped.
std::vector<UINT> SchemeIds();
// The number a new scheme takes: one past LastID and past every existing scheme.
UINT NewSchemeId();
LONG DeleteScheme(UINT id);

LONG ReadGlobal(GLOBAL_POWER_POLICY& policy);
LONG WriteGlobal(const GLOBAL_POWER_POLICY& policy);

LONG ReadActiveScheme(UINT& id);
LONG WriteActiveScheme(UINT id);

LONG ReadProcessorScheme(UINT id, MACHINE_PROCESSOR_POWER_POLICY& policy);
LONG WriteProcessorScheme(UINT id, const MACHINE_PROCESSOR_POWER_POLICY& policy);

// Records of another revision than 1 are refused, as the system does.
bool RevisionValid(const POWER_POLICY& policy);
bool RevisionValid(const GLOBAL_POWER_POLICY& policy);

} // namespace powrprof
