// The two battery files in the all-users application-data folder: Pivora.dmg, which a person
// may place there to stand in for the embedded controller's values, and Pivora.cbt, the
// event counter that survives restarts.
//
// The folder is writable by every user while the program runs with the shutdown privilege,
// so the counter is opened only as a plain file of its own: a directory, a link or a device
// placed under its name is refused instead of being written through, and its security is
// changed through the opened handle, never by name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "switcher/logic/BatteryHealthLogic.h"

namespace switcher {

inline constexpr wchar_t kOverrideFileName[] = L"Pivora.dmg";
inline constexpr wchar_t kCounterFileName[] = L"Pivora.cbt";

// "<all-users application data>\<name>", the folder created when missing; nullopt when the
// system names no such folder.
std::optional<std::wstring> BatteryFilePath(const wchar_t* name);

// The override values, or nullopt when the file cannot be opened (the normal case: there is
// none). Only the first kMaxOverrideBytes are read.
std::optional<OverrideValues> ReadOverrideFile(const std::wstring& path);

struct CounterUpdate {
    enum class Opened { Existing, Created, Failed };
    Opened opened = Opened::Failed;
    std::int32_t count = 0;          // 0 when Failed
    bool written = false;            // the count reached the file
    bool sharedWithEveryone = false; // the file's DACL is now null
};

// Opens the counter (creating it when missing), advances the count by NextEventCount, writes
// it back as exactly four bytes and gives everyone access to the file, as every user's copy of
// the program counts in it.
CounterUpdate UpdateCounterFile(const std::wstring& path, bool eventFlagged);

// Removes the counter (the count is 0 again); true also when there was none to remove.
bool DeleteCounterFile(const std::wstring& path);

} // namespace switcher
