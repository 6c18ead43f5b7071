#include "PowerSchemeStore.h"

#include <algorithm>

#include "Journal.h"
#include "PowerSchemeSeed.h"
#include "RegistryAccess.h"
#include "VistaPowerSettings.h"
#include "framework/UniqueHandle.h"

namespace emulator {

namespace {

constexpr char kAcIndexValue[] = "ACSettingIndex";
constexpr char kDcIndexValue[] = "DCSettingIndex";
constexpr char kDefaultsKey[] = "DefaultPowerSchemeValues";
constexpr char kActivePowerSchemeName[] = "ActivePowerScheme";
constexpr char kSeedMutex[] = "NotebookEmulatorVistaSeed";
constexpr DWORD kSeedWaitMs = 5000;

const char* IndexValue(PowerSource source) {
    return source == PowerSource::Ac ? kAcIndexValue : kDcIndexValue;
}

std::string SettingPath(const PowerGuid& scheme, const PowerGuid& subgroup,
                        const PowerGuid& setting) {
    return SchemePath(scheme) + "\\" + KeyText(subgroup) + "\\" + KeyText(setting);
}

std::string DefaultsPath(const PowerGuid& subgroup, const PowerGuid& setting,
                         const PowerGuid& scheme) {
    return std::string(kPowerSettingsPath) + "\\" + KeyText(subgroup) + "\\" + KeyText(setting) +
           "\\" + kDefaultsKey + "\\" + KeyText(scheme);
}

void SeedStockSchemes();

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// Counts what the seed writes and keeps the first failure.
class Seeder {
public:
    void Text(const std::string& path, const wchar_t* name, const std::wstring& text) {
        std::wstring existing;
        if (ReadWideText(HKEY_LOCAL_MACHINE, path, name, existing) == ERROR_FILE_NOT_FOUND) {
            Note(WriteWideText(HKEY_LOCAL_MACHINE, path, name, text));
        }
    }
    void Word(const std::string& path, const char* name, std::uint32_t value) {
        if (!ValueExists(HKEY_LOCAL_MACHINE, path, name)) {
            Note(WriteWord(HKEY_LOCAL_MACHINE, path, name, value));
        }
    }
    LONG status = ERROR_SUCCESS;
    unsigned written = 0;

private:
    void Note(LONG result) {
        if (result == ERROR_SUCCESS) {
            ++written;
        } else if (status == ERROR_SUCCESS) {
            status = result;
        }
    }
};

} // namespace

std::string SchemePath(const PowerGuid& scheme) {
    return std::string(kPowerSchemesPath) + "\\" + KeyText(scheme);
}

void SeedVistaSchemesOnFirstUse() {
    // The active value is written last: with it the seed is complete. Two programs making
    // their first call at once take turns, so neither sees half a list.
    if (ValueExists(HKEY_LOCAL_MACHINE, kPowerSchemesPath, kActivePowerSchemeName)) {
        return;
    }
    framework::UniqueKernelHandle mutex(::CreateMutexA(nullptr, FALSE, kSeedMutex));
    const bool locked = mutex && ::WaitForSingleObject(mutex.Get(), kSeedWaitMs) != WAIT_TIMEOUT;
    if (!KeyExists(HKEY_LOCAL_MACHINE, kPowerSchemesPath)) {
        SeedStockSchemes();
    }
    if (locked) {
        ::ReleaseMutex(mutex.Get());
    }
}

namespace {

void SeedStockSchemes() {
    Seeder seed;
    const auto& stock = StockSchemes();
    for (std::size_t i = 0; i < stock.size(); ++i) {
        seed.Text(SchemePath(stock[i].guid), kSchemeNameValue, stock[i].name);
        seed.Text(SchemePath(stock[i].guid), kSchemeDescriptionValue, stock[i].description);
        for (const PowerSetting& s : PowerSettings()) {
            const std::string path = DefaultsPath(s.subgroup, s.setting, stock[i].guid);
            seed.Word(path, kAcIndexValue, s.defaults[i].ac);
            seed.Word(path, kDcIndexValue, s.defaults[i].dc);
        }
    }
    seed.Text(kPowerSchemesPath, kActivePowerSchemeValue, Wide(KeyText(BalancedScheme())));
    JournalSeed("SeedVistaSchemes", SeedResult{seed.status, seed.written});
}

} // namespace

std::vector<PowerGuid> ListVistaSchemes() {
    std::vector<PowerGuid> schemes;
    for (const std::string& name : SubkeyNames(HKEY_LOCAL_MACHINE, kPowerSchemesPath)) {
        // Windows names scheme keys by the bare GUID; any other key is not a scheme.
        if (name.size() != 36) {
            continue;
        }
        if (const auto guid = ParsePowerGuid(name)) {
            schemes.push_back(*guid);
        }
    }
    std::sort(schemes.begin(), schemes.end(),
              [](const PowerGuid& a, const PowerGuid& b) { return KeyText(a) < KeyText(b); });
    schemes.erase(std::unique(schemes.begin(), schemes.end()), schemes.end());
    return schemes;
}

bool VistaSchemeExists(const PowerGuid& scheme) {
    return KeyExists(HKEY_LOCAL_MACHINE, SchemePath(scheme));
}

LONG ReadSchemeText(const PowerGuid& scheme, const wchar_t* value, std::wstring& text) {
    return ReadWideText(HKEY_LOCAL_MACHINE, SchemePath(scheme), value, text);
}

LONG WriteSchemeText(const PowerGuid& scheme, const wchar_t* value, const std::wstring& text) {
    if (!VistaSchemeExists(scheme)) {
        return ERROR_FILE_NOT_FOUND;
    }
    return WriteWideText(HKEY_LOCAL_MACHINE, SchemePath(scheme), value, text);
}

LONG ReadSettingIndex(const PowerGuid& scheme, const PowerGuid& subgroup, const PowerGuid& setting,
                      PowerSource source, std::uint32_t& index) {
    const LONG own = ReadWord(HKEY_LOCAL_MACHINE, SettingPath(scheme, subgroup, setting),
                              IndexValue(source), index);
    if (own != ERROR_FILE_NOT_FOUND) {
        return own;
    }
    return ReadWord(HKEY_LOCAL_MACHINE, DefaultsPath(subgroup, setting, scheme), IndexValue(source),
                    index);
}

void ReadSettingIndexes(const PowerGuid& scheme, const PowerGuid& subgroup,
                        const PowerGuid& setting, LONG status[2], std::uint32_t index[2]) {
    const char* const names[2] = {kAcIndexValue, kDcIndexValue};
    status[0] = status[1] = ERROR_FILE_NOT_FOUND;
    for (const std::string& path :
         {SettingPath(scheme, subgroup, setting), DefaultsPath(subgroup, setting, scheme)}) {
        if (status[0] != ERROR_FILE_NOT_FOUND && status[1] != ERROR_FILE_NOT_FOUND) {
            return;
        }
        ReadWordPair(HKEY_LOCAL_MACHINE, path, names, status, index);
    }
}

LONG WriteSettingIndex(const PowerGuid& scheme, const PowerGuid& subgroup, const PowerGuid& setting,
                       PowerSource source, std::uint32_t index) {
    return WriteWordUnder(HKEY_LOCAL_MACHINE, SchemePath(scheme),
                          SettingPath(scheme, subgroup, setting), IndexValue(source), index);
}

namespace {

LONG CopyInto(const PowerGuid& source, const PowerGuid& target) {
    for (const wchar_t* value : {kSchemeNameValue, kSchemeDescriptionValue}) {
        std::wstring text;
        const LONG read = ReadSchemeText(source, value, text);
        if (read == ERROR_FILE_NOT_FOUND) {
            continue;
        }
        if (read != ERROR_SUCCESS) {
            return read;
        }
        const LONG written = WriteWideText(HKEY_LOCAL_MACHINE, SchemePath(target), value, text);
        if (written != ERROR_SUCCESS) {
            return written;
        }
    }
    // The source's own settings, whatever they are; then the table's, from its defaults.
    const std::string from = SchemePath(source);
    for (const std::string& group : SubkeyNames(HKEY_LOCAL_MACHINE, from)) {
        for (const std::string& item : SubkeyNames(HKEY_LOCAL_MACHINE, from + "\\" + group)) {
            const std::string relative = "\\" + group + "\\" + item;
            for (const char* name : {kAcIndexValue, kDcIndexValue}) {
                std::uint32_t index = 0;
                if (ReadWord(HKEY_LOCAL_MACHINE, from + relative, name, index) == ERROR_SUCCESS) {
                    const LONG written =
                        WriteWord(HKEY_LOCAL_MACHINE, SchemePath(target) + relative, name, index);
                    if (written != ERROR_SUCCESS) {
                        return written;
                    }
                }
            }
        }
    }
    for (const PowerSetting& s : PowerSettings()) {
        for (const PowerSource source_ : {PowerSource::Ac, PowerSource::Dc}) {
            std::uint32_t index = 0;
            const std::string path = SettingPath(target, s.subgroup, s.setting);
            if (ValueExists(HKEY_LOCAL_MACHINE, path, IndexValue(source_)) ||
                ReadSettingIndex(source, s.subgroup, s.setting, source_, index) != ERROR_SUCCESS) {
                continue;
            }
            const LONG written = WriteWord(HKEY_LOCAL_MACHINE, path, IndexValue(source_), index);
            if (written != ERROR_SUCCESS) {
                return written;
            }
        }
    }
    return ERROR_SUCCESS;
}

} // namespace

LONG CopyVistaScheme(const PowerGuid& source, const PowerGuid& target) {
    if (!VistaSchemeExists(source)) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (VistaSchemeExists(target)) {
        return ERROR_ALREADY_EXISTS;
    }
    // The key first, so that a source without texts or values still gives a scheme.
    LONG status = CreateKey(HKEY_LOCAL_MACHINE, SchemePath(target));
    if (status == ERROR_SUCCESS) {
        status = CopyInto(source, target);
    }
    if (status != ERROR_SUCCESS) {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, SchemePath(target));
    }
    return status;
}

LONG DeleteVistaScheme(const PowerGuid& scheme) {
    return DeleteKeyTree(HKEY_LOCAL_MACHINE, SchemePath(scheme));
}

LONG ReadActiveVistaScheme(PowerGuid& scheme) {
    std::wstring text;
    const LONG status =
        ReadWideText(HKEY_LOCAL_MACHINE, kPowerSchemesPath, kActivePowerSchemeValue, text);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    std::string narrow;
    for (const wchar_t c : text) {
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    const auto parsed = ParsePowerGuid(narrow);
    if (!parsed) {
        return ERROR_INVALID_DATA;
    }
    scheme = *parsed;
    return ERROR_SUCCESS;
}

LONG WriteActiveVistaScheme(const PowerGuid& scheme) {
    return WriteWideText(HKEY_LOCAL_MACHINE, kPowerSchemesPath, kActivePowerSchemeValue,
                         Wide(KeyText(scheme)));
}

} // namespace emulator
