#include "SuiteScheme.h"

#include <algorithm>
#include <initializer_list>
#include <cwchar>
#include <string_view>

#include "../framework/Trace.h"

namespace store {

// {5E1D07A2-4C3B-4F6E-9A1D-7B2C8E0F4D31}: the suite's own scheme.
const GUID kSuiteSchemeGuid = {
    0x5e1d07a2, 0x4c3b, 0x4f6e, {0x9a, 0x1d, 0x7b, 0x2c, 0x8e, 0x0f, 0x4d, 0x31}};
const GUID kBalancedSchemeGuid = {
    0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}};

namespace {

constexpr wchar_t kSchemeName[] = L"Power Management";
// Friendly names are read into this many bytes; a longer name cannot be ours.
constexpr DWORD kNameBytes = 512;
// Bounds a walk of a list that keeps changing under it.
constexpr ULONG kMostSchemes = 1024;

// The subgroup and setting GUIDs of the platform header (winnt.h), which declares them only
// for programs built for Vista.
struct SettingGuids {
    SchemeSetting setting;
    GUID subgroup;
    GUID guid;
};

constexpr GUID kVideoSubgroup = {
    0x7516b95f, 0xf776, 0x4464, {0x8c, 0x53, 0x06, 0x16, 0x7f, 0x40, 0xcc, 0x99}};
constexpr GUID kDiskSubgroup = {
    0x0012ee47, 0x9041, 0x4b5d, {0x9b, 0x77, 0x53, 0x5f, 0xba, 0x8b, 0x14, 0x42}};
constexpr GUID kSleepSubgroup = {
    0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
constexpr GUID kButtonSubgroup = {
    0x4f971e89, 0xeebd, 0x4455, {0xa8, 0xde, 0x9e, 0x59, 0x04, 0x0e, 0x73, 0x47}};
constexpr GUID kBatterySubgroup = {
    0xe73a048d, 0xbf27, 0x4f12, {0x97, 0x31, 0x8b, 0x20, 0x76, 0xe8, 0x89, 0x1f}};
constexpr GUID kNoSubgroup = {
    0xfea3413e, 0x7e05, 0x4911, {0x9a, 0x71, 0x70, 0x03, 0x31, 0xf1, 0xc2, 0x94}};

constexpr SettingGuids kSettings[] = {
    {SchemeSetting::VideoTimeout,
     kVideoSubgroup, // GUID_VIDEO_POWERDOWN_TIMEOUT
     {0x3c0bc021, 0xc8a8, 0x4e07, {0xa9, 0x73, 0x6b, 0x14, 0xcb, 0xcb, 0x2b, 0x7e}}},
    {SchemeSetting::DiskTimeout,
     kDiskSubgroup, // GUID_DISK_POWERDOWN_TIMEOUT
     {0x6738e2c4, 0xe8a5, 0x4a42, {0xb1, 0x6a, 0xe0, 0x40, 0xe7, 0x69, 0x75, 0x6e}}},
    {SchemeSetting::StandbyTimeout,
     kSleepSubgroup, // GUID_STANDBY_TIMEOUT
     {0x29f6c1db, 0x86da, 0x48c5, {0x9f, 0xdb, 0xf2, 0xb6, 0x7b, 0x1f, 0x44, 0xda}}},
    {SchemeSetting::HibernateTimeout,
     kSleepSubgroup, // GUID_HIBERNATE_TIMEOUT
     {0x9d7815a6, 0x7ee4, 0x497e, {0x88, 0x88, 0x51, 0x5a, 0x05, 0xf0, 0x23, 0x64}}},
    {SchemeSetting::Brightness,
     kVideoSubgroup, // GUID_DEVICE_POWER_POLICY_VIDEO_BRIGHTNESS
     {0xaded5e82, 0xb909, 0x4619, {0x99, 0x49, 0xf5, 0xd7, 0x1d, 0xac, 0x0b, 0xcb}}},
    {SchemeSetting::PowerButton,
     kButtonSubgroup, // GUID_POWERBUTTON_ACTION
     {0x7648efa3, 0xdd9c, 0x4e3e, {0xb5, 0x66, 0x50, 0xf9, 0x29, 0x38, 0x62, 0x80}}},
    {SchemeSetting::SleepButton,
     kButtonSubgroup, // GUID_SLEEPBUTTON_ACTION
     {0x96996bc0, 0xad50, 0x47ec, {0x92, 0x3b, 0x6f, 0x41, 0x87, 0x4d, 0xd9, 0xeb}}},
    {SchemeSetting::LidClose,
     kButtonSubgroup, // GUID_LIDCLOSE_ACTION
     {0x5ca83367, 0x6e45, 0x459f, {0xa2, 0x7b, 0x47, 0x6b, 0x1d, 0x01, 0xc9, 0x36}}},
    {SchemeSetting::CriticalAction,
     kBatterySubgroup, // GUID_BATTERY_DISCHARGE_ACTION_0
     {0x637ea02f, 0xbbcb, 0x4015, {0x8e, 0x2c, 0xa1, 0xc7, 0xb9, 0xc0, 0xb5, 0x46}}},
    {SchemeSetting::CriticalLevel,
     kBatterySubgroup, // GUID_BATTERY_DISCHARGE_LEVEL_0
     {0x9a66d8d7, 0x4ff7, 0x4ef9, {0xb5, 0xa2, 0x5a, 0x32, 0x6c, 0xa2, 0xa4, 0x69}}},
    {SchemeSetting::CriticalFlags,
     kBatterySubgroup, // GUID_BATTERY_DISCHARGE_FLAGS_0
     {0x5dbb7c9f, 0x38e9, 0x40d2, {0x97, 0x49, 0x4f, 0x8a, 0x0e, 0x9f, 0x64, 0x0f}}},
    {SchemeSetting::LowAction,
     kBatterySubgroup, // GUID_BATTERY_DISCHARGE_ACTION_1
     {0xd8742dcb, 0x3e6a, 0x4b3c, {0xb3, 0xfe, 0x37, 0x46, 0x23, 0xcd, 0xcf, 0x06}}},
    {SchemeSetting::LowLevel,
     kBatterySubgroup, // GUID_BATTERY_DISCHARGE_LEVEL_1
     {0x8183ba9a, 0xe910, 0x48da, {0x87, 0x69, 0x14, 0xae, 0x6d, 0xc1, 0x17, 0x0a}}},
    {SchemeSetting::LowFlags,
     kBatterySubgroup, // GUID_BATTERY_DISCHARGE_FLAGS_1
     {0xbcded951, 0x187b, 0x4d05, {0xbc, 0xcc, 0xf7, 0xe5, 0x19, 0x60, 0xc2, 0x58}}},
    {SchemeSetting::LockOnWake,
     kNoSubgroup, // GUID_LOCK_CONSOLE_ON_WAKE
     {0x0e796bdb, 0x100d, 0x47d6, {0xa2, 0xd5, 0xf7, 0xd2, 0xda, 0xa5, 0x1f, 0x51}}},
};

const SettingGuids* GuidsOf(SchemeSetting setting) {
    for (const SettingGuids& entry : kSettings) {
        if (entry.setting == setting) {
            return &entry;
        }
    }
    return nullptr;
}

// Whether the scheme's friendly name reads as the suite's. A name that does not fit the
// buffer, or one without a terminator, is not.
bool NamedAsSuite(PowerSchemeApi& api, const GUID& scheme) {
    wchar_t name[kNameBytes / sizeof(wchar_t)] = {};
    DWORD size = sizeof name;
    if (api.ReadFriendlyName(scheme, reinterpret_cast<UCHAR*>(name), size) != ERROR_SUCCESS) {
        return false;
    }
    const std::size_t chars = std::min<std::size_t>(size, sizeof name) / sizeof(wchar_t);
    const std::wstring_view text(name, ::wcsnlen(name, chars));
    return text == kSchemeName;
}

bool SchemeExists(PowerSchemeApi& api, const GUID& scheme) {
    wchar_t name[kNameBytes / sizeof(wchar_t)] = {};
    DWORD size = sizeof name;
    const DWORD result = api.ReadFriendlyName(scheme, reinterpret_cast<UCHAR*>(name), size);
    return result == ERROR_SUCCESS || result == ERROR_MORE_DATA;
}

// Whether every entry a step needs is there, so that a step is done whole or not at all; the
// forwarder of a missing one has traced it.
bool HasAll(PowerSchemeApi& api, std::initializer_list<SchemeEntry> entries) {
    bool all = true;
    for (const SchemeEntry entry : entries) {
        if (!api.Has(entry)) {
            all = false;
            framework::Trace("Power Management: powrprof entry %d is missing; the scheme is "
                             "left as it was.\n",
                             static_cast<int>(entry));
        }
    }
    return all;
}

} // namespace

bool SchemeSettingGuids(SchemeSetting setting, GUID& subgroup, GUID& guid) {
    const SettingGuids* entry = GuidsOf(setting);
    if (entry == nullptr) {
        return false;
    }
    subgroup = entry->subgroup;
    guid = entry->guid;
    return true;
}

std::optional<GUID> FindSuiteScheme(PowerSchemeApi& api) {
    if (SchemeExists(api, kSuiteSchemeGuid)) {
        return kSuiteSchemeGuid;
    }
    for (ULONG index = 0; index < kMostSchemes; ++index) {
        GUID scheme{};
        if (api.EnumerateScheme(index, scheme) != ERROR_SUCCESS) {
            break;
        }
        if (NamedAsSuite(api, scheme)) {
            return scheme;
        }
    }
    return std::nullopt;
}

std::optional<GUID> EnsureSuiteScheme(PowerSchemeApi& api,
                                      const std::vector<SchemeValue>& initial) {
    if (auto found = FindSuiteScheme(api)) {
        return found;
    }
    if (!HasAll(api, {SchemeEntry::PowerDuplicateScheme, SchemeEntry::PowerWriteFriendlyName,
                      SchemeEntry::PowerWriteDescription, SchemeEntry::PowerWriteACValueIndex,
                      SchemeEntry::PowerWriteDCValueIndex})) {
        return std::nullopt;
    }
    GUID made = kSuiteSchemeGuid;
    if (const DWORD result = api.DuplicateScheme(kBalancedSchemeGuid, made);
        result != ERROR_SUCCESS) {
        framework::Trace("Power Management: copying Balanced failed, error %lu.\n",
                         static_cast<unsigned long>(result));
        return std::nullopt;
    }
    const DWORD named = api.WriteFriendlyName(made, kSchemeName, sizeof kSchemeName);
    const DWORD described = api.WriteDescription(made, kSchemeName, sizeof kSchemeName);
    if (named != ERROR_SUCCESS || described != ERROR_SUCCESS) {
        framework::Trace("Power Management: naming the scheme failed, errors %lu and %lu.\n",
                         static_cast<unsigned long>(named), static_cast<unsigned long>(described));
    }
    WriteSchemeValues(api, made, initial);
    return made;
}

int WriteSchemeValues(PowerSchemeApi& api, const GUID& scheme,
                      const std::vector<SchemeValue>& values) {
    int refused = 0;
    if (!HasAll(api, {SchemeEntry::PowerWriteACValueIndex, SchemeEntry::PowerWriteDCValueIndex})) {
        return static_cast<int>(2 * values.size());
    }
    for (const SchemeValue& value : values) {
        const SettingGuids* guids = GuidsOf(value.setting);
        if (guids == nullptr) {
            continue;
        }
        for (const bool ac : {true, false}) {
            const DWORD result =
                api.WriteValueIndex(ac, scheme, guids->subgroup, guids->guid, value.value);
            if (result != ERROR_SUCCESS) {
                ++refused;
                framework::Trace("Power Management: setting %d (%s) = %lu refused, error %lu.\n",
                                 static_cast<int>(value.setting), ac ? "AC" : "DC",
                                 static_cast<unsigned long>(value.value),
                                 static_cast<unsigned long>(result));
            }
        }
    }
    return refused;
}

bool ActivateScheme(PowerSchemeApi& api, const GUID& scheme) {
    const DWORD result = api.SetActiveScheme(scheme);
    if (result != ERROR_SUCCESS) {
        framework::Trace("Power Management: activating the scheme failed, error %lu.\n",
                         static_cast<unsigned long>(result));
    }
    return result == ERROR_SUCCESS;
}

bool RemoveSuiteScheme(PowerSchemeApi& api) {
    const std::optional<GUID> ours = FindSuiteScheme(api);
    if (!ours) {
        return true;
    }
    if (!HasAll(api, {SchemeEntry::PowerSetActiveScheme, SchemeEntry::PowerDeleteScheme})) {
        return false;
    }
    // An active scheme cannot be deleted: Balanced, the system's default, takes over first.
    ActivateScheme(api, kBalancedSchemeGuid);
    const DWORD result = api.DeleteScheme(*ours);
    if (result != ERROR_SUCCESS) {
        framework::Trace("Power Management: deleting the scheme failed, error %lu.\n",
                         static_cast<unsigned long>(result));
    }
    return result == ERROR_SUCCESS;
}

} // namespace store
