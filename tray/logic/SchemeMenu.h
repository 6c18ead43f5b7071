// The scheme menu of a single click: the modes for the current power source in id order, and
// the state of each scheme command.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tray {

struct SchemeEntry {
    int id = 0;
    std::uint32_t acPlugIn = 0;
    std::string name;
};

struct SchemeMenuItem {
    unsigned command = 0;
    std::string text;
};

// Only modes made for the current power source; none when it is unknown (-1), and none whose
// id no command can carry.
std::vector<SchemeMenuItem> SchemeMenuItems(std::span<const SchemeEntry> schemes, int acStatus);

// The last id to read for the menu: the stored LastID, but never beyond the last id a scheme
// command can name, so a damaged LastID cannot keep the tray busy.
int LastSchemeIdToRead(int lastId);

// The scheme id of a scheme command, or nothing for any other command.
std::optional<int> SchemeIdForCommand(unsigned command);

// The mode in force: the AC one on mains, the battery one otherwise (also when unknown).
int SchemeInForce(int acStatus, int acSchemeId, int batterySchemeId);

struct CommandLook {
    bool enabled = true;
    bool checked = false;
};

CommandLook SchemeCommandLook(unsigned command, int schemeInForce, bool readOnly);
CommandLook AdjustPropertiesLook(bool readOnly);

} // namespace tray
