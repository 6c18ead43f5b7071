#include "SchemeStore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "DecimalText.h"
#include "RegistryKey.h"
#include "TimeoutTables.h"

namespace store {
namespace {

constexpr DWORD kArrayBytes = sizeof(std::uint32_t) * kColumns;
constexpr DWORD kAlarmBytes = sizeof(BatteryAlarm);
// Stored records: the same bytes whichever architecture wrote them.
static_assert(kArrayBytes == 16 && kAlarmBytes == 24);

struct WordValue {
    const char* name;
    std::uint32_t GlobalPowerSettings::*field;
};

// The order in which the ten words are written.
constexpr WordValue kGlobalWords[] = {
    {"PwrSchemeAC", &GlobalPowerSettings::PwrSchemeAC},
    {"PwrSchemeDC", &GlobalPowerSettings::PwrSchemeDC},
    {"HibernateEnable", &GlobalPowerSettings::HibernateEnable},
    {"SysTrayBatteryMeterEnable", &GlobalPowerSettings::SysTrayBatteryMeterEnable},
    {"PasswordLogonEnable", &GlobalPowerSettings::PasswordLogonEnable},
    {"PowerButton", &GlobalPowerSettings::PowerButton},
    {"LidClose", &GlobalPowerSettings::LidClose},
    {"SleepButton", &GlobalPowerSettings::SleepButton},
    {"CoolingMethod", &GlobalPowerSettings::CoolingMethod},
    {"AutoResume", &GlobalPowerSettings::AutoResume},
};

struct ArrayValue {
    const char* name;
    std::uint32_t (PowerSaveMode::*field)[kColumns];
};

// The order in which the six arrays are written.
constexpr ArrayValue kModeArrays[] = {
    {"CPU_Duty", &PowerSaveMode::CPU_Duty}, {"Brightnes", &PowerSaveMode::Brightnes},
    {"Panel", &PowerSaveMode::Panel},       {"HDD", &PowerSaveMode::HDD},
    {"Standby", &PowerSaveMode::Standby},   {"Hibernate", &PowerSaveMode::Hibernate},
};

struct TextValue {
    const char* name;
    char (PowerSaveMode::*field)[kTextSize];
};

constexpr TextValue kModeTexts[] = {
    {"NamePolicy", &PowerSaveMode::NamePolicy},
    {"DescriptionPolicy", &PowerSaveMode::DescriptionPolicy},
    {"ICON", &PowerSaveMode::ICON},
    {"LinkedProgram", &PowerSaveMode::LinkedProgram},
};

bool IsMachine(HKEY root) {
    return root == HKEY_LOCAL_MACHINE;
}

// The registry does not promise a terminator in what it stored; never write past the field.
void WriteText(RegistryKey& key, const char* name, const char (&text)[kTextSize]) {
    char bounded[kTextSize];
    std::memcpy(bounded, text, sizeof bounded);
    bounded[kTextSize - 1] = '\0';
    key.WriteString(name, bounded);
}

} // namespace

void SchemeStore::ResetScheme() {
    const std::int32_t id = mode.id;
    mode = PowerSaveMode{};
    mode.id = id;
}

void SchemeStore::ResetGlobal() {
    global = GlobalPowerSettings{};
}

std::string SchemeStore::GlobalPath(HKEY root) const {
    return basePath + (IsMachine(root) ? "\\Default\\GlobalPowerPolicy" : "\\GlobalPowerPolicy");
}

std::string SchemeStore::ModesPath(HKEY root) const {
    return basePath + (IsMachine(root) ? "\\Default\\PowerPolicy" : "\\PowerPolicy");
}

std::string SchemeStore::ModePath(HKEY root, int id) const {
    return ModesPath(root) + "\\" + std::to_string(id);
}

void SchemeStore::LoadGlobal(HKEY root) {
    ResetGlobal();
    const std::string path = GlobalPath(root);
    RegistryKey key(root);
    if (key.Open(path, KEY_QUERY_VALUE)) {
        for (const auto& word : kGlobalWords) {
            std::uint32_t value = 0;
            if (key.ReadWord(word.name, value)) {
                global.*word.field = value;
            }
        }
    }
    key.Close();
    if (key.Open(path, KEY_QUERY_VALUE)) {
        key.ReadBinary("LowAlarm", &global.LowAlarm, kAlarmBytes);
        key.ReadBinary("CriticalAlarm", &global.CriticalAlarm, kAlarmBytes);
    }
}

void SchemeStore::SaveGlobal(HKEY root) {
    const std::string path = GlobalPath(root);
    RegistryKey key(root);
    if (!key.Open(path, KEY_ENUMERATE_SUB_KEYS)) {
        key.Create(path);
    }
    key.Close();
    if (key.Open(path, KEY_SET_VALUE)) {
        for (const auto& word : kGlobalWords) {
            key.WriteWord(word.name, global.*word.field);
        }
    }
    key.Close();
    if (key.Open(path, KEY_SET_VALUE)) {
        key.WriteBinary("LowAlarm", &global.LowAlarm, kAlarmBytes);
        key.WriteBinary("CriticalAlarm", &global.CriticalAlarm, kAlarmBytes);
    }
}

bool SchemeStore::LoadScheme(HKEY root, int id) {
    ResetScheme();
    mode.id = id;
    const std::string path = ModePath(root, id);
    RegistryKey key(root);
    if (!key.Open(path, KEY_QUERY_VALUE)) {
        return false;
    }
    key.ReadWord("ACPlug_IN", mode.ACPlug_IN);
    key.ReadWord("DefaultScheme", mode.DefaultScheme);
    for (const auto& text : kModeTexts) {
        key.ReadString(text.name, mode.*text.field);
    }
    key.Close();
    if (key.Open(path, KEY_QUERY_VALUE)) {
        for (const auto& array : kModeArrays) {
            key.ReadBinary(array.name, mode.*array.field, kArrayBytes);
        }
    }
    return true;
}

void SchemeStore::SaveScheme(HKEY root, int id) {
    const std::string path = ModePath(root, id);
    RegistryKey key(root);
    if (!key.Create(path)) {
        return;
    }
    key.WriteWord("ACPlug_IN", mode.ACPlug_IN);
    key.WriteWord("DefaultScheme", mode.DefaultScheme);
    for (const auto& text : kModeTexts) {
        WriteText(key, text.name, mode.*text.field);
    }
    key.Close();
    if (key.Open(path, KEY_SET_VALUE)) {
        for (const auto& array : kModeArrays) {
            key.WriteBinary(array.name, mode.*array.field, kArrayBytes);
        }
    }
}

void SchemeStore::DeleteScheme(HKEY root, int id) {
    DeleteKeyTree(root, ModePath(root, id));
}

void SchemeStore::CopyFrom(const SchemeStore& other) {
    imageIndex = other.imageIndex;
    mode = other.mode; // the id travels with the mode
    global = other.global;
}

std::vector<int> SchemeStore::StoredModeIds(HKEY root, int lastId) const {
    std::vector<int> ids;
    RegistryKey modes(root);
    if (!modes.Open(ModesPath(root), KEY_ENUMERATE_SUB_KEYS)) {
        return ids;
    }
    char name[kSubkeyNameSize];
    for (DWORD i = 0; modes.EnumSubkey(i, name); ++i) {
        const auto id = ParseKeyId(name);
        if (id && *id <= lastId) {
            ids.push_back(*id);
        }
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

int SchemeStore::ReadLastId() {
    RegistryKey key(HKEY_CURRENT_USER);
    std::uint32_t value = 0;
    if (!key.Open(ModesPath(HKEY_CURRENT_USER), KEY_QUERY_VALUE) ||
        !key.ReadWord("LastID", value)) {
        return -1;
    }
    return static_cast<int>(value);
}

bool SchemeStore::WriteLastId(int lastId) {
    RegistryKey key(HKEY_CURRENT_USER);
    if (key.Create(ModesPath(HKEY_CURRENT_USER), KEY_SET_VALUE)) {
        key.WriteWord("LastID", static_cast<std::uint32_t>(lastId));
    }
    return true;
}

void SchemeStore::ReadReminder(std::uint32_t& msgFlg, std::uint32_t& nextCycle) {
    RegistryKey key(HKEY_LOCAL_MACHINE);
    if (key.Open(kReminderPath, KEY_QUERY_VALUE)) {
        key.ReadWord("MsgFlg", msgFlg);
        key.ReadWord("NextCycle", nextCycle);
    }
}

void SchemeStore::WriteReminder(std::uint32_t msgFlg, std::uint32_t nextCycle) {
    RegistryKey key(HKEY_LOCAL_MACHINE);
    if (key.Open(kReminderPath, KEY_SET_VALUE)) {
        key.WriteWord("NextCycle", nextCycle);
        key.WriteWord("MsgFlg", msgFlg);
    }
}

void SchemeStore::ReadDiskSpinDownRange(std::uint32_t& max, std::uint32_t& min) {
    max = 0;
    min = 0;
    // Reading needs no more than query access; asking for more fails for limited users.
    RegistryKey key(HKEY_LOCAL_MACHINE);
    if (!key.Open(kPowerCfgMachinePath, KEY_QUERY_VALUE)) {
        return;
    }
    char text[kTextSize] = {};
    if (key.ReadString("DiskSpinDownMax", text)) {
        const auto minutes = ParseDecimal(text);
        max = minutes && *minutes > 0 ? static_cast<std::uint32_t>(*minutes) * 60u : 0u;
    }
    text[0] = '\0';
    if (key.ReadString("DiskSpinDownMin", text)) {
        const auto minutes = ParseDecimal(text);
        min = minutes && *minutes > 0 ? static_cast<std::uint32_t>(*minutes) * 60u : 0u;
    }
}

int FindSystemScheme() {
    RegistryKey machine(HKEY_LOCAL_MACHINE);
    char text[kTextSize] = {};
    if (!machine.Open(kPowerCfgMachinePath, KEY_QUERY_VALUE) ||
        !machine.ReadString("LastID", text)) {
        return -1;
    }
    const auto lastId = ParseDecimal(text);
    if (!lastId || *lastId < 0) {
        return -1;
    }
    // Walk the schemes that exist instead of trying every number up to LastID: the first
    // match in number order is the same, and a damaged LastID of millions costs nothing.
    RegistryKey schemes(HKEY_CURRENT_USER);
    if (!schemes.Open(kUserSchemesPath, KEY_ENUMERATE_SUB_KEYS)) {
        return -1;
    }
    int found = -1;
    char name[kSubkeyNameSize];
    for (DWORD i = 0; schemes.EnumSubkey(i, name); ++i) {
        const auto number = ParseDecimal(name);
        if (!number || *number < 0 || *number > *lastId || std::to_string(*number) != name ||
            (found != -1 && *number >= found)) {
            continue;
        }
        RegistryKey scheme(HKEY_CURRENT_USER);
        char schemeName[kTextSize] = {};
        if (scheme.Open(std::string(kUserSchemesPath) + "\\" + name, KEY_QUERY_VALUE) &&
            scheme.ReadString("Name", schemeName) &&
            std::strcmp(schemeName, kSystemSchemeName) == 0) {
            found = *number;
        }
    }
    return found;
}

int BatteryColumn() {
    SYSTEM_POWER_STATUS status{};
    if (!::GetSystemPowerStatus(&status)) {
        return -1;
    }
    return ColumnForPercent(status.BatteryLifePercent);
}

std::string SystemErrorText(DWORD code) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer),
        0, nullptr);
    framework::UniqueLocal owner(buffer);
    if (length == 0 || buffer == nullptr) {
        char fallback[48];
        std::snprintf(fallback, sizeof fallback, "Error %lu.", static_cast<unsigned long>(code));
        return fallback;
    }
    return std::string(buffer, length);
}

int ShowSystemError(DWORD code, const char* caption, UINT style) {
    const std::string text = SystemErrorText(code);
    return ::MessageBoxA(nullptr, text.c_str(), caption, style);
}

} // namespace store
