// What the emulated machine can do, as the power manager reports it.
#pragma once

#include "PowerSchemeLayout.h"

namespace powrprof {

SYSTEM_POWER_CAPABILITIES MachineCapabilities();

bool HibernateAllowed(const SYSTEM_POWER_CAPABILITIES& caps);
bool SuspendAllowed(const SYSTEM_POWER_CAPABILITIES& caps);

} // namespace powrprof
