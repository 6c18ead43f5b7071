// Where Windows Vista and later keep their power schemes, and the steps the emulated power
// manager takes on them (each opens and closes its keys):
//
//   HKLM\SYSTEM\CurrentControlSet\Control\Power\User\PowerSchemes
//       ActivePowerScheme (REG_SZ, the GUID without braces)
//       <scheme>                 FriendlyName, Description (REG_SZ)
//       <scheme>\<subgroup>\<setting>   ACSettingIndex, DCSettingIndex (REG_DWORD)
//   HKLM\SYSTEM\CurrentControlSet\Control\Power\PowerSettings
//       <subgroup>\<setting>\DefaultPowerSchemeValues\<scheme>   ACSettingIndex, DCSettingIndex
//
// A value a scheme does not set falls back to the setting's default for that scheme.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "PowerGuid.h"

namespace emulator {

inline constexpr char kPowerSchemesPath[] =
    "SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes";
inline constexpr char kPowerSettingsPath[] =
    "SYSTEM\\CurrentControlSet\\Control\\Power\\PowerSettings";
inline constexpr wchar_t kActivePowerSchemeValue[] = L"ActivePowerScheme";
inline constexpr wchar_t kSchemeNameValue[] = L"FriendlyName";
inline constexpr wchar_t kSchemeDescriptionValue[] = L"Description";

enum class PowerSource { Ac, Dc };

std::string SchemePath(const PowerGuid& scheme);

// The three stock schemes with Windows' defaults, Balanced active, when the machine has no
// scheme list yet; a list that exists is left alone, however a person changed it.
void SeedVistaSchemesOnFirstUse();

// The subkeys whose names are GUIDs, in the order of their names.
std::vector<PowerGuid> ListVistaSchemes();
bool VistaSchemeExists(const PowerGuid& scheme);

// ERROR_FILE_NOT_FOUND for a missing scheme or value, ERROR_INVALID_DATA for a damaged one.
LONG ReadSchemeText(const PowerGuid& scheme, const wchar_t* value, std::wstring& text);
LONG WriteSchemeText(const PowerGuid& scheme, const wchar_t* value, const std::wstring& text);

// The scheme's own value, else its default; ERROR_FILE_NOT_FOUND when neither exists.
LONG ReadSettingIndex(const PowerGuid& scheme, const PowerGuid& subgroup, const PowerGuid& setting,
                      PowerSource source, std::uint32_t& index);
// Both values of a setting, each as ReadSettingIndex reads it, with a key opened once each.
void ReadSettingIndexes(const PowerGuid& scheme, const PowerGuid& subgroup,
                        const PowerGuid& setting, LONG status[2], std::uint32_t index[2]);
// Written under the scheme's key, which must exist.
LONG WriteSettingIndex(const PowerGuid& scheme, const PowerGuid& subgroup, const PowerGuid& setting,
                       PowerSource source, std::uint32_t index);

// A new scheme `target` with the source's texts, its own values and, for every setting of the
// table, the value the source has now. Nothing is left of the target when a step fails.
LONG CopyVistaScheme(const PowerGuid& source, const PowerGuid& target);
LONG DeleteVistaScheme(const PowerGuid& scheme);

// ERROR_INVALID_DATA for a value that is not a GUID.
LONG ReadActiveVistaScheme(PowerGuid& scheme);
LONG WriteActiveVistaScheme(const PowerGuid& scheme);

} // namespace emulator
