// The action list of the popup: Sleep, Restart and Shut Down, offered by what the machine can
// do, and what each asks of the system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "switcher/logic/ResourceTokens.h"

namespace switcher {

// The position of the action's text in string 1003 ("Sleep;Restart;Shut Down").
enum class PowerAction { Sleep = 0, Restart = 1, ShutDown = 2 };

struct ActionRow {
    PowerAction action;
    std::wstring text;
};

// The rows in order Sleep, Restart, Shut Down, each only when the sleeping state it needs is
// supported (S3, S4 and S5; Restart goes by S4 as the system reports no restart capability).
// A translation with fewer words gives the missing rows an empty text.
std::vector<ActionRow> BuildActionRows(std::wstring_view actionTexts, bool s3, bool s4, bool s5);

// ExitWindowsEx flags of Restart and Shut Down (EWX_REBOOT or EWX_POWEROFF, each with
// EWX_FORCEIFHUNG); 0 for Sleep, which suspends instead.
unsigned ExitWindowsFlags(PowerAction action);

} // namespace switcher
