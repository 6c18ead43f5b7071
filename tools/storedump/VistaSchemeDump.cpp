#include "VistaSchemeDump.h"

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "../../framework/UniqueHandle.h"
#include "PowerSchemeApi.h"
#include "SchemeSettingText.h"
#include "SuiteScheme.h"

namespace storedump {

namespace {

// The store's interface reads the names of schemes only; the system's name of a setting shows
// that the store's GUID is the one Windows means.
class SettingNames {
public:
    std::string Name(const GUID& subgroup, const GUID& setting) const {
        wchar_t name[256] = L"";
        DWORD size = sizeof name - sizeof(wchar_t);
        if (read_ == nullptr || read_(nullptr, nullptr, &subgroup, &setting,
                                      reinterpret_cast<UCHAR*>(name), &size) != ERROR_SUCCESS) {
            return {};
        }
        return Narrow(name);
    }

    static std::string Narrow(const wchar_t* text) {
        char narrow[512] = "";
        ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
        return narrow;
    }

private:
    using ReadNameFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, UCHAR*, DWORD*);

    framework::UniqueModule module_{::LoadLibraryA("powrprof.dll")};
    ReadNameFn read_ = framework::ProcAddress<ReadNameFn>(module_.Get(), "PowerReadFriendlyName");
};

std::string GuidText(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                  static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

// Empty when the scheme has no name or it does not fit.
std::string SchemeName(store::PowerSchemeApi& api, const GUID& scheme) {
    wchar_t name[256] = L"";
    DWORD size = sizeof name - sizeof(wchar_t);
    if (api.ReadFriendlyName(scheme, reinterpret_cast<UCHAR*>(name), size) != ERROR_SUCCESS) {
        return {};
    }
    return SettingNames::Narrow(name);
}

std::string Index(store::PowerSchemeApi& api, bool ac, const GUID& scheme,
                  store::SchemeSetting setting, const GUID& subgroup, const GUID& guid) {
    DWORD value = 0;
    const DWORD status = api.ReadValueIndex(ac, scheme, subgroup, guid, value);
    return status == ERROR_SUCCESS ? SettingValueText(setting, value)
                                   : "error " + std::to_string(status);
}

void PrintScheme(store::PowerSchemeApi& api, const SettingNames& names, const GUID& scheme,
                 bool active, bool suites) {
    std::printf("  %s \"%s\" %s%s\n", active ? "*" : " ", SchemeName(api, scheme).c_str(),
                GuidText(scheme).c_str(), suites ? " (the suite's)" : "");
    std::printf("    %-34s %-12s %s\n", "setting", "plugged in", "on battery");
    for (const store::SchemeSetting setting : SuiteSchemeSettings()) {
        GUID subgroup{};
        GUID guid{};
        store::SchemeSettingGuids(setting, subgroup, guid);
        std::string name = names.Name(subgroup, guid);
        if (name.empty()) {
            name = SettingLabel(setting);
        }
        std::printf("    %-34s %-12s %s\n", name.c_str(),
                    Index(api, true, scheme, setting, subgroup, guid).c_str(),
                    Index(api, false, scheme, setting, subgroup, guid).c_str());
    }
}

} // namespace

void PrintVistaSchemes() {
    store::PowerSchemeApi api;
    using E = store::SchemeEntry;
    for (const E entry : {E::PowerEnumerate, E::PowerReadFriendlyName, E::PowerGetActiveScheme,
                          E::PowerReadACValueIndex, E::PowerReadDCValueIndex}) {
        if (!api.Has(entry)) {
            std::printf("Windows schemes: the power library lacks the scheme functions\n");
            return;
        }
    }
    GUID active{};
    api.GetActiveScheme(active);
    const std::optional<GUID> suites = store::FindSuiteScheme(api);
    std::vector<GUID> schemes;
    // Bounds a walk of a list that may change under it.
    for (ULONG index = 0; index < 1024; ++index) {
        GUID scheme{};
        if (api.EnumerateScheme(index, scheme) != ERROR_SUCCESS) {
            break;
        }
        schemes.push_back(scheme);
    }
    const SettingNames names;
    std::printf("Windows schemes (* active): %u\n", static_cast<unsigned>(schemes.size()));
    for (const GUID& scheme : schemes) {
        PrintScheme(api, names, scheme, IsEqualGUID(scheme, active) != 0,
                    suites && IsEqualGUID(scheme, *suites) != 0);
    }
}

} // namespace storedump
