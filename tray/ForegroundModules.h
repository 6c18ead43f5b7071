// The modules loaded in the process that owns the foreground window.
#pragma once

#include "logic/LinkedMatch.h"

namespace tray {

// Full paths of at most the first 1024 modules; empty when there is no foreground window or
// its process cannot be opened or listed.
ModuleList ForegroundProcessModules();

// Case-insensitive comparison by the system's multi-byte rules.
bool SameTextMultiByte(std::string_view a, std::string_view b);

} // namespace tray
