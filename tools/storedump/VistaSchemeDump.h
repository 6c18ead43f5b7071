// The Windows schemes of Vista and later, printed through the system's power-scheme functions
// (bound by name, as the suite binds them): each scheme, the active one, and the value of every
// setting the suite writes, plugged in and on battery.
#pragma once

namespace storedump {

// Whether this Windows keeps its schemes by GUID (NT 6.0 and later).
bool HasVistaSchemes();
void PrintVistaSchemes();

} // namespace storedump
