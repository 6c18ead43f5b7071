// Which mode a program in the foreground asks for. A mode is linked to a program by its full
// path; the modes for the current power source are tried in id order, and the first whose
// program is loaded in the foreground process wins.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tray {

struct LinkedScheme {
    int id = 0;
    std::uint32_t acPlugIn = 0;
    std::string linkedProgram;
};

using ModuleList = std::vector<std::string>;
// Full paths of the modules of the foreground process; asked for at most once per check, and
// only when some mode could match.
using ModuleSource = std::function<const ModuleList&()>;
using SameText = std::function<bool(std::string_view, std::string_view)>;

// The id of the first matching mode, or -1. An unknown power source (-1) matches no mode.
int FindLinkedMatch(std::span<const LinkedScheme> schemes, int acStatus,
                    const ModuleSource& modules, const SameText& same);

struct LinkedSwitch {
    bool needed = false;
    int id = -1;
};

// With a match the tray switches to it unless it is already in force; without one it goes
// back to the stored mode when a linked mode was in force.
LinkedSwitch DecideLinkedSwitch(int match, int current, int stored);

} // namespace tray
