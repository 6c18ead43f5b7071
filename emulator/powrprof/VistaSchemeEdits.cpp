// The Windows Vista scheme functions that make, delete and change schemes, over the registry
// layout of PowerSchemeStore. Win32 results, journalled like the others (VistaSchemes.cpp).
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600 // the published prototypes, as in VistaSchemes.cpp
#include "SchemeRecords.h"

#include <ntsecapi.h>

#include <array>
#include <cstring>

#include "NumberText.h"
#include "PowerSchemeStore.h"
#include "VistaCall.h"
#include "VistaPowerSettings.h"

using namespace powrprof;
using emulator::PowerGuid;

namespace {

PowerGuid NewSchemeGuid() {
    std::array<std::uint8_t, 16> bytes{};
    if (!::RtlGenRandom(bytes.data(), static_cast<ULONG>(bytes.size()))) {
        // Without the system's generator the clock and the process still make a fresh one.
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        const DWORD process = ::GetCurrentProcessId();
        std::memcpy(bytes.data(), &now, sizeof now);
        std::memcpy(bytes.data() + 8, &process, sizeof process);
    }
    return emulator::RandomPowerGuid(bytes);
}

void AddSettingArguments(VistaCall& call, HKEY root, const GUID* scheme, const GUID* subgroup,
                         const GUID* setting, bool& rootGiven) {
    rootGiven = call.RootGiven(root);
    call.AddGuid("scheme", scheme);
    call.AddGuid("subgroup", subgroup);
    call.AddGuid("setting", setting);
}

DWORD ReadIndexCall(const char* function, emulator::PowerSource source, HKEY root,
                    const GUID* scheme, const GUID* subgroup, const GUID* setting, LPDWORD index) {
    VistaCall call(function);
    bool rootGiven = false;
    AddSettingArguments(call, root, scheme, subgroup, setting, rootGiven);
    call.Args().AddPointer("index", index);
    if (const DWORD start = call.Start(); start != ERROR_SUCCESS) {
        return call.Return(start);
    }
    if (rootGiven || scheme == nullptr || setting == nullptr || index == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    // A scheme's key deleted behind the caller's back takes its values with it, though the
    // defaults for its GUID may remain.
    if (!emulator::VistaSchemeExists(ToPowerGuid(*scheme))) {
        return call.Return(ERROR_FILE_NOT_FOUND);
    }
    std::uint32_t value = 0;
    const LONG status = emulator::ReadSettingIndex(ToPowerGuid(*scheme), SubgroupOrNone(subgroup),
                                                   ToPowerGuid(*setting), source, value);
    if (status != ERROR_SUCCESS) {
        return call.Return(static_cast<DWORD>(status));
    }
    *index = value;
    call.Outputs().Add("index", value);
    return call.Return(ERROR_SUCCESS);
}

DWORD WriteIndexCall(const char* function, emulator::PowerSource source, HKEY root,
                     const GUID* scheme, const GUID* subgroup, const GUID* setting, DWORD index) {
    VistaCall call(function);
    bool rootGiven = false;
    AddSettingArguments(call, root, scheme, subgroup, setting, rootGiven);
    call.Args().Add("index", index);
    if (const DWORD start = call.Start(); start != ERROR_SUCCESS) {
        return call.Return(start);
    }
    if (rootGiven || scheme == nullptr || setting == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    const PowerGuid group = SubgroupOrNone(subgroup);
    const PowerGuid item = ToPowerGuid(*setting);
    // Settings the machine does not know are refused, as Windows refuses unregistered ones.
    const emulator::PowerSetting* known = emulator::FindPowerSetting(group, item);
    if (known == nullptr) {
        return call.Return(ERROR_FILE_NOT_FOUND);
    }
    if (index > known->maximum) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    if (!UserMayWriteSchemes()) {
        return call.Return(ERROR_ACCESS_DENIED);
    }
    return call.Return(static_cast<DWORD>(
        emulator::WriteSettingIndex(ToPowerGuid(*scheme), group, item, source, index)));
}

} // namespace

extern "C" DWORD WINAPI PowerDuplicateScheme(HKEY RootPowerKey, const GUID* SourceSchemeGuid,
                                             GUID** DestinationSchemeGuid) {
    VistaCall call("PowerDuplicateScheme");
    const bool rootGiven = call.RootGiven(RootPowerKey);
    call.AddGuid("source", SourceSchemeGuid);
    if (DestinationSchemeGuid == nullptr) {
        call.Args().AddWord("destination", "null");
    } else {
        call.AddGuid("destination", *DestinationSchemeGuid);
    }
    if (const DWORD start = call.Start(); start != ERROR_SUCCESS) {
        return call.Return(start);
    }
    if (rootGiven || SourceSchemeGuid == nullptr || DestinationSchemeGuid == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    if (!UserMayWriteSchemes()) {
        return call.Return(ERROR_ACCESS_DENIED);
    }
    // A null GUID pointer asks for a new GUID, allocated with LocalAlloc for the caller to
    // free; a given one names the new scheme.
    GUID* allocated = nullptr;
    PowerGuid target{};
    if (*DestinationSchemeGuid == nullptr) {
        allocated = static_cast<GUID*>(::LocalAlloc(LMEM_FIXED, kGuidBytes));
        if (allocated == nullptr) {
            return call.Return(ERROR_NOT_ENOUGH_MEMORY);
        }
        target = NewSchemeGuid();
    } else {
        target = ToPowerGuid(**DestinationSchemeGuid);
    }
    const LONG status = emulator::CopyVistaScheme(ToPowerGuid(*SourceSchemeGuid), target);
    if (status != ERROR_SUCCESS) {
        ::LocalFree(allocated);
        return call.Return(static_cast<DWORD>(status));
    }
    if (allocated != nullptr) {
        *allocated = ToGuid(target);
        *DestinationSchemeGuid = allocated;
    }
    call.Outputs().AddWord("scheme", emulator::BracedText(target));
    return call.Return(ERROR_SUCCESS);
}

extern "C" DWORD WINAPI PowerDeleteScheme(HKEY RootPowerKey, const GUID* SchemeGuid) {
    VistaCall call("PowerDeleteScheme");
    const bool rootGiven = call.RootGiven(RootPowerKey);
    call.AddGuid("scheme", SchemeGuid);
    if (const DWORD start = call.Start(); start != ERROR_SUCCESS) {
        return call.Return(start);
    }
    if (rootGiven || SchemeGuid == nullptr) {
        return call.Return(ERROR_INVALID_PARAMETER);
    }
    if (!UserMayWriteSchemes()) {
        return call.Return(ERROR_ACCESS_DENIED);
    }
    const PowerGuid scheme = ToPowerGuid(*SchemeGuid);
    if (!emulator::VistaSchemeExists(scheme)) {
        return call.Return(ERROR_FILE_NOT_FOUND);
    }
    PowerGuid active{};
    if (emulator::ReadActiveVistaScheme(active) == ERROR_SUCCESS && active == scheme) {
        return call.Return(ERROR_ACCESS_DENIED); // the system must keep a scheme to apply
    }
    return call.Return(static_cast<DWORD>(emulator::DeleteVistaScheme(scheme)));
}

extern "C" DWORD WINAPI PowerReadACValueIndex(HKEY RootPowerKey, const GUID* SchemeGuid,
                                              const GUID* SubGroupOfPowerSettingsGuid,
                                              const GUID* PowerSettingGuid, LPDWORD AcValueIndex) {
    return ReadIndexCall("PowerReadACValueIndex", emulator::PowerSource::Ac, RootPowerKey,
                         SchemeGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid, AcValueIndex);
}

extern "C" DWORD WINAPI PowerReadDCValueIndex(HKEY RootPowerKey, const GUID* SchemeGuid,
                                              const GUID* SubGroupOfPowerSettingsGuid,
                                              const GUID* PowerSettingGuid, LPDWORD DcValueIndex) {
    return ReadIndexCall("PowerReadDCValueIndex", emulator::PowerSource::Dc, RootPowerKey,
                         SchemeGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid, DcValueIndex);
}

extern "C" DWORD WINAPI PowerWriteACValueIndex(HKEY RootPowerKey, const GUID* SchemeGuid,
                                               const GUID* SubGroupOfPowerSettingsGuid,
                                               const GUID* PowerSettingGuid, DWORD AcValueIndex) {
    return WriteIndexCall("PowerWriteACValueIndex", emulator::PowerSource::Ac, RootPowerKey,
                          SchemeGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid, AcValueIndex);
}

extern "C" DWORD WINAPI PowerWriteDCValueIndex(HKEY RootPowerKey, const GUID* SchemeGuid,
                                               const GUID* SubGroupOfPowerSettingsGuid,
                                               const GUID* PowerSettingGuid, DWORD DcValueIndex) {
    return WriteIndexCall("PowerWriteDCValueIndex", emulator::PowerSource::Dc, RootPowerKey,
                          SchemeGuid, SubGroupOfPowerSettingsGuid, PowerSettingGuid, DcValueIndex);
}
