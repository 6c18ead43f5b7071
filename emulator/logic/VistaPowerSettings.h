// What the emulated Vista power manager knows without the registry: which callers get it, the
// stock schemes, and the settings it keeps with Windows' own defaults for each stock scheme.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "PowerGuid.h"

namespace emulator {

// NT 6.0 (Vista) and later keep schemes by GUID; earlier systems have the XP records only.
inline bool UsesVistaSchemes(std::uint32_t majorVersion) {
    return majorVersion >= 6;
}

inline constexpr std::size_t kStockSchemeCount = 3;

struct StockScheme {
    PowerGuid guid;
    const wchar_t* name;
    const wchar_t* description;
};

// Balanced, High performance, Power saver: in the order of their GUID texts, as Windows lists
// its scheme keys.
const std::array<StockScheme, kStockSchemeCount>& StockSchemes();
const PowerGuid& BalancedScheme();
// The position in StockSchemes(), or -1.
int StockSchemeIndex(const PowerGuid& scheme);

struct SettingValues {
    std::uint32_t ac;
    std::uint32_t dc;
};

struct PowerSetting {
    PowerGuid subgroup;
    PowerGuid setting;
    const wchar_t* name;
    const char* word;                                      // short name in journal lines
    std::uint32_t maximum;                                 // highest index the setting takes
    std::array<SettingValues, kStockSchemeCount> defaults; // per stock scheme
};

struct PowerSubgroup {
    PowerGuid guid;
    const wchar_t* name;
};

// NO_SUBGROUP_GUID: the settings that belong to no subgroup (the password on wake).
const PowerGuid& NoSubgroup();

// Every setting the suite writes, grouped by subgroup.
const std::vector<PowerSetting>& PowerSettings();
// Their subgroups, in the order of the table.
const std::vector<PowerSubgroup>& PowerSubgroups();
const PowerSetting* FindPowerSetting(const PowerGuid& subgroup, const PowerGuid& setting);
const PowerSubgroup* FindPowerSubgroup(const PowerGuid& subgroup);
// The settings of one subgroup, in the order of the table.
std::vector<const PowerSetting*> SettingsOf(const PowerGuid& subgroup);

} // namespace emulator
