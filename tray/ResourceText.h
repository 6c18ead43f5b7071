// Strings of this module's string table, in the language the system chose.
#pragma once

#include <windows.h>

#include <string>

namespace tray {

// Empty text for a string the table does not have.
std::string LoadResourceText(UINT id);

} // namespace tray
