// A string-table entry of the program, in the language the system picks.
#pragma once

#include <windows.h>

#include <string>

#include "switcher/logic/ResourceTokens.h"

namespace switcher {

// Empty when the entry is missing.
std::wstring LoadResourceText(HINSTANCE module, UINT id);

// The entry split at `separators`; no tokens when the entry is missing.
ResourceTokens LoadResourceTokens(HINSTANCE module, UINT id, const wchar_t* separators);

} // namespace switcher
