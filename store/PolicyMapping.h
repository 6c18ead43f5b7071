// The suite's settings written onto the Windows power-policy records in memory. Nothing here
// touches the registry; PolicyApply.h reads, maps and writes.
#pragma once

#include "PowerPolicyTypes.h"

#include "GlobalPowerSettings.h"
#include "PowerSaveMode.h"

namespace store {

// Buttons, lid, the critical (entry 0) and low (entry 1) discharge levels and the global
// flags. Everything else in the record, including the discharge entries' Flags and
// MinSystemState and entries 2 and 3, stays as it was.
void MapGlobalSettings(const GlobalPowerSettings& settings, int versionClass,
                       GLOBAL_USER_POWER_POLICY& record);

// Idle action and time-outs of one column of a mode (an invalid column counts as column 0).
// Both halves (AC and DC) of each record get the same values.
void MapModeColumn(const PowerSaveMode& mode, int column, USER_POWER_POLICY& user,
                   MACHINE_POWER_POLICY& machine);

// Fills the processor policy into a record the caller has zeroed. Of each entry's flag word
// only the allow-demotion and allow-promotion bits are set.
void BuildProcessorPolicy(BYTE throttleAc, BYTE throttleDc, MACHINE_PROCESSOR_POWER_POLICY& record);

} // namespace store
