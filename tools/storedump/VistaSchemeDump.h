// The Windows schemes of Vista and later, printed through the store's power-scheme interface:
// each scheme, the active one and the suite's, and the value of every setting the suite
// writes, plugged in and on battery.
#pragma once

namespace storedump {

void PrintVistaSchemes();

} // namespace storedump
