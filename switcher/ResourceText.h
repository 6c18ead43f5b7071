// A string-table entry of the program, in the language the system picks.
#pragma once

#include <windows.h>

#include <string>

namespace switcher {

// Empty when the entry is missing.
std::wstring LoadResourceText(HINSTANCE module, UINT id);

} // namespace switcher
