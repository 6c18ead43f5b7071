// The suite's scheme store: one mode and the global settings, read from and written to the
// registry of either hive. Nothing is cached; every operation opens and closes its keys.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../framework/Object.h"
#include "GlobalPowerSettings.h"
#include "PowerSaveMode.h"

namespace store {

inline constexpr char kBasePath[] = "SOFTWARE\\TERVANE\\Power Management";
inline constexpr char kReminderPath[] = "Software\\TERVANE\\Power Management";
inline constexpr char kPowerCfgMachinePath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\PowerCfg";
inline constexpr char kUserSchemesPath[] = "Control Panel\\PowerCfg\\PowerPolicies";
inline constexpr char kSystemSchemeName[] = "Power Management";

class SchemeStore : public framework::Object {
public:
    SchemeStore() = default;

    void ResetScheme();
    void ResetGlobal();

    void LoadGlobal(HKEY root);
    void SaveGlobal(HKEY root);
    bool LoadScheme(HKEY root, int id);
    void SaveScheme(HKEY root, int id);
    void DeleteScheme(HKEY root, int id);
    void CopyFrom(const SchemeStore& other);

    // The ids of the modes stored in a hive up to `lastId`, ascending. The keys that exist
    // are walked, so a huge or damaged LastID costs nothing.
    std::vector<int> StoredModeIds(HKEY root, int lastId) const;

    // The suite's own LastID under HKEY_CURRENT_USER; -1 when it is missing or damaged.
    int ReadLastId();
    bool WriteLastId(int lastId);

    // Battery-learning reminder state; an out value stays as it was when its value is missing.
    void ReadReminder(std::uint32_t& msgFlg, std::uint32_t& nextCycle);
    void WriteReminder(std::uint32_t msgFlg, std::uint32_t nextCycle);

    // Windows' bounds for the hard-disk time-out, in seconds; 0 for a value it cannot read.
    void ReadDiskSpinDownRange(std::uint32_t& max, std::uint32_t& min);

    // Key paths for a hive: only HKEY_LOCAL_MACHINE holds the factory ("Default") tree.
    std::string GlobalPath(HKEY root) const;
    std::string ModePath(HKEY root, int id) const;
    std::string ModesPath(HKEY root) const;

    GlobalPowerSettings global;
    PowerSaveMode mode;
    int imageIndex = 0;
    // The applet's working copies: the mode's number and its edit state.
    int modeId = -1;
    int modified = 0;
    int deleted = 0;
    std::string basePath = kBasePath;
};

// Number of the Windows power scheme named "Power Management", or -1.
int FindSystemScheme();

// Battery column for the current battery level, or -1 without a reading.
int BatteryColumn();

// The system's text for an error code, without inserts.
std::string SystemErrorText(DWORD code);

// A message box with the system's text for the code; returns the box's result.
int ShowSystemError(DWORD code, const char* caption, UINT style);

} // namespace store
