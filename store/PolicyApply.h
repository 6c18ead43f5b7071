// Applying the suite's settings to the Windows power scheme it owns: read the records, map,
// write them back. A record whose key cannot be opened is mapped from a zeroed buffer and not
// written, so Windows keeps its old values.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "GlobalPowerSettings.h"
#include "PowerApi.h"
#include "PowerSaveMode.h"

namespace store {

// Reads the global user policy, maps the settings onto it, runs the caller's side effects
// (tray icon, cooling, hibernation file, wake bits) and writes the record back. Returns
// whether both the read and the write found the key.
bool ApplyGlobalSettings(const GlobalPowerSettings& settings, int versionClass,
                         const std::function<void()>& sideEffects = {});

// Reserves (non-zero low byte) or frees the hibernation file; the system's status code.
LONG ReserveHibernationFile(PowerApi& api, std::uint32_t hibernateEnable);

// Reads the machine and user policies of Windows scheme `scheme`, runs the hardware step
// (brightness, processor speed) for the column, maps the column's time-outs and writes the
// machine record, then the user record. An invalid column (-1 for an unknown battery level)
// is applied as column 0, and the hardware step gets the column actually used. Returns
// whether every record's key was found.
bool ApplyMode(const PowerSaveMode& mode, int column, int scheme,
               const std::function<void(int column)>& hardwareStep = {});

// The processor policy of Windows XP: one throttle for both halves, written as the scheme's
// processor record, then read back through the library (that result is not used). Returns
// whether the record's key was found.
bool WriteProcessorPolicy(PowerApi& api, int scheme, BYTE throttle);

} // namespace store
