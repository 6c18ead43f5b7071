// The Windows XP scheme functions over the registry layout of SchemeRecords. Every call is
// journalled; bad input fails with the caller's last error set and nothing written.
#include <string>

#include "CallerText.h"
#include "CallerVersion.h"
#include "NumberText.h"
#include "PowerCall.h"
#include "RegistryAccess.h"
#include "SchemeRecords.h"

using namespace powrprof;
using namespace emulator::power;

namespace {

// From Vista on the XP scheme and policy functions are unavailable (WritePwrScheme is
// documented so; the others "may be"): the records they keep are not what that system applies,
// so a caller must see the failure rather than write what nothing reads.
bool XpSchemesRetired() {
    return CallerHasVistaSchemes();
}

void NoteApplied(PowerCall& call, const POWER_POLICY& policy) {
    auto pair = [](ULONG ac, ULONG dc) {
        return emulator::DecimalText(ac) + "/" + emulator::DecimalText(dc);
    };
    call.Outputs()
        .AddWord("standby", pair(policy.user.IdleTimeoutAc, policy.user.IdleTimeoutDc))
        .AddWord("video", pair(policy.user.VideoTimeoutAc, policy.user.VideoTimeoutDc))
        .AddWord("disk", pair(policy.user.SpindownTimeoutAc, policy.user.SpindownTimeoutDc))
        .AddWord("hibernate", pair(policy.mach.DozeS4TimeoutAc, policy.mach.DozeS4TimeoutDc));
}

void AddTextArgument(PowerCall& call, const char* argument, const wchar_t* given,
                     const std::optional<std::wstring>& text) {
    if (text) {
        call.Args().AddText(argument, Utf8(*text));
    } else {
        call.Args().AddWord(argument, given != nullptr ? "unterminated" : "null");
    }
}

} // namespace

extern "C" BOOLEAN WINAPI GetPwrDiskSpindownRange(PUINT maximum, PUINT minimum) {
    PowerCall call("GetPwrDiskSpindownRange");
    call.Args().AddPointer("max", maximum).AddPointer("min", minimum);
    if (maximum == nullptr || minimum == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    LONG status =
        emulator::ReadDecimal(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kSpinDownMaxValue, high);
    if (status == ERROR_SUCCESS) {
        status =
            emulator::ReadDecimal(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kSpinDownMinValue, low);
    }
    if (status != ERROR_SUCCESS) {
        return call.Fail(static_cast<DWORD>(status));
    }
    *maximum = high;
    *minimum = low;
    call.Outputs().Add("max", high).Add("min", low);
    return call.Succeed();
}

extern "C" BOOLEAN WINAPI EnumPwrSchemes(WidePwrSchemesEnumProc callback, LPARAM context) {
    PowerCall call("EnumPwrSchemes");
    call.Args().AddPointer("callback", reinterpret_cast<const void*>(callback));
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if (callback == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    if (!emulator::KeyExists(HKEY_CURRENT_USER, kUserSchemes)) {
        return call.Fail(ERROR_FILE_NOT_FOUND);
    }
    unsigned listed = 0;
    unsigned skipped = 0;
    bool stopped = false;
    for (const UINT id : SchemeIds()) {
        POWER_POLICY policy{};
        std::wstring name;
        std::wstring description;
        // A damaged scheme is left out rather than handed over half read.
        if (ReadScheme(id, policy) != ERROR_SUCCESS ||
            ReadSchemeTexts(id, name, description) != ERROR_SUCCESS) {
            ++skipped;
            continue;
        }
        ++listed;
        const auto nameBytes = static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t));
        const auto descriptionBytes =
            static_cast<DWORD>((description.size() + 1) * sizeof(wchar_t));
        if (!callback(id, nameBytes, name.data(), descriptionBytes, description.data(), &policy,
                      context)) {
            stopped = true;
            break;
        }
    }
    call.Outputs()
        .Add("listed", listed)
        .Add("skipped", skipped)
        .AddWord("stopped", stopped ? "1" : "0");
    return call.Succeed();
}

extern "C" BOOLEAN WINAPI ReadPwrScheme(UINT id, PPOWER_POLICY policy) {
    PowerCall call("ReadPwrScheme");
    call.Args().Add("id", id).AddPointer("policy", policy);
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if (policy == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    const LONG status = ReadScheme(id, *policy);
    return status == ERROR_SUCCESS ? call.Succeed() : call.Fail(static_cast<DWORD>(status));
}

extern "C" BOOLEAN WINAPI WritePwrScheme(PUINT id, LPWSTR name, LPWSTR description,
                                         PPOWER_POLICY policy) {
    PowerCall call("WritePwrScheme");
    std::optional<std::wstring> nameText;
    std::optional<std::wstring> descriptionText;
    if (name != nullptr) {
        nameText = ReadCallerText(name);
    }
    if (description != nullptr) {
        descriptionText = ReadCallerText(description);
    }
    if (id != nullptr) {
        call.Args().AddSigned("id", static_cast<std::int32_t>(*id));
    } else {
        call.Args().AddWord("id", "null");
    }
    AddTextArgument(call, "name", name, nameText);
    AddTextArgument(call, "description", description, descriptionText);
    call.Args().AddPointer("policy", policy);
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }

    if (id == nullptr || policy == nullptr || (name != nullptr && !nameText) ||
        (description != nullptr && !descriptionText)) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    if (!UserMayWriteSchemes()) {
        return call.Fail(ERROR_ACCESS_DENIED);
    }
    if (!RevisionValid(*policy)) {
        return call.Fail(ERROR_REVISION_MISMATCH);
    }
    UINT target = *id;
    const bool isNew = target == NEWSCHEME;
    if (isNew) {
        target = NewSchemeId();
    }
    LONG status = WriteScheme(target, *policy);
    const std::string key = SchemeKey(kUserSchemes, target);
    if (status == ERROR_SUCCESS && nameText) {
        status = emulator::WriteWideText(HKEY_CURRENT_USER, key, kNameValue, *nameText);
    }
    if (status == ERROR_SUCCESS && descriptionText) {
        status =
            emulator::WriteWideText(HKEY_CURRENT_USER, key, kDescriptionValue, *descriptionText);
    }
    if (status == ERROR_SUCCESS && isNew) {
        status = emulator::WriteDecimal(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kLastIdValue, target);
    }
    if (status != ERROR_SUCCESS) {
        return call.Fail(static_cast<DWORD>(status));
    }
    *id = target;
    call.Outputs().Add("id", target);
    return call.Succeed();
}

extern "C" BOOLEAN WINAPI DeletePwrScheme(UINT id) {
    PowerCall call("DeletePwrScheme");
    call.Args().Add("id", id);
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if (!UserMayWriteSchemes()) {
        return call.Fail(ERROR_ACCESS_DENIED);
    }
    // The scheme in force cannot go away under the system's feet.
    UINT active = 0;
    if (ReadActiveScheme(active) == ERROR_SUCCESS && active == id) {
        return call.Fail(ERROR_ACCESS_DENIED);
    }
    const LONG status = DeleteScheme(id);
    return status == ERROR_SUCCESS ? call.Succeed() : call.Fail(static_cast<DWORD>(status));
}

extern "C" BOOLEAN WINAPI GetActivePwrScheme(PUINT id) {
    PowerCall call("GetActivePwrScheme");
    call.Args().AddPointer("id", id);
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if (id == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    UINT active = 0;
    const LONG status = ReadActiveScheme(active);
    if (status != ERROR_SUCCESS) {
        return call.Fail(static_cast<DWORD>(status));
    }
    *id = active;
    call.Outputs().Add("id", active);
    return call.Succeed();
}

// The policies passed in are what the system would apply instead of the stored ones; they are
// not stored. The journal shows what took effect.
extern "C" BOOLEAN WINAPI SetActivePwrScheme(UINT id, PGLOBAL_POWER_POLICY global,
                                             PPOWER_POLICY policy) {
    PowerCall call("SetActivePwrScheme");
    call.Args().Add("id", id).AddPointer("global", global).AddPointer("policy", policy);
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if ((global != nullptr && !RevisionValid(*global)) ||
        (policy != nullptr && !RevisionValid(*policy))) {
        return call.Fail(ERROR_REVISION_MISMATCH);
    }
    if (!SchemeExists(id)) {
        return call.Fail(ERROR_FILE_NOT_FOUND);
    }
    POWER_POLICY applied{};
    if (policy != nullptr) {
        applied = *policy;
    } else if (const LONG status = ReadScheme(id, applied); status != ERROR_SUCCESS) {
        return call.Fail(static_cast<DWORD>(status));
    }
    if (global == nullptr) {
        GLOBAL_POWER_POLICY stored{};
        if (const LONG status = ReadGlobal(stored); status == ERROR_INVALID_DATA) {
            return call.Fail(ERROR_INVALID_DATA);
        }
    }
    if (const LONG status = WriteActiveScheme(id); status != ERROR_SUCCESS) {
        return call.Fail(static_cast<DWORD>(status));
    }
    NoteApplied(call, applied);
    return call.Succeed();
}

extern "C" BOOLEAN WINAPI ReadGlobalPwrPolicy(PGLOBAL_POWER_POLICY global) {
    PowerCall call("ReadGlobalPwrPolicy");
    call.Args().AddPointer("global", global);
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if (global == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    const LONG status = ReadGlobal(*global);
    return status == ERROR_SUCCESS ? call.Succeed() : call.Fail(static_cast<DWORD>(status));
}

extern "C" BOOLEAN WINAPI WriteGlobalPwrPolicy(PGLOBAL_POWER_POLICY global) {
    PowerCall call("WriteGlobalPwrPolicy");
    call.Args().AddPointer("global", global);
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if (global == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    if (!UserMayWriteSchemes()) {
        return call.Fail(ERROR_ACCESS_DENIED);
    }
    if (!RevisionValid(*global)) {
        return call.Fail(ERROR_REVISION_MISMATCH);
    }
    const LONG status = WriteGlobal(*global);
    return status == ERROR_SUCCESS ? call.Succeed() : call.Fail(static_cast<DWORD>(status));
}

extern "C" BOOLEAN WINAPI GetCurrentPowerPolicies(PGLOBAL_POWER_POLICY global,
                                                  PPOWER_POLICY policy) {
    PowerCall call("GetCurrentPowerPolicies");
    call.Args().AddPointer("global", global).AddPointer("policy", policy);
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if (global == nullptr || policy == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    UINT active = 0;
    GLOBAL_POWER_POLICY readGlobal{};
    POWER_POLICY readPolicy{};
    LONG status = ReadActiveScheme(active);
    if (status == ERROR_SUCCESS) {
        status = ReadGlobal(readGlobal);
    }
    if (status == ERROR_SUCCESS) {
        status = ReadScheme(active, readPolicy);
    }
    if (status != ERROR_SUCCESS) {
        return call.Fail(static_cast<DWORD>(status));
    }
    *global = readGlobal;
    *policy = readPolicy;
    call.Outputs().Add("id", active);
    return call.Succeed();
}

extern "C" BOOLEAN WINAPI ReadProcessorPwrScheme(UINT id, PMACHINE_PROCESSOR_POWER_POLICY policy) {
    PowerCall call("ReadProcessorPwrScheme");
    call.Args().Add("id", id).AddPointer("policy", policy);
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if (policy == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    const LONG status = ReadProcessorScheme(id, *policy);
    if (status != ERROR_SUCCESS) {
        return call.Fail(static_cast<DWORD>(status));
    }
    call.Outputs()
        .Add("throttle_ac", policy->ProcessorPolicyAc.DynamicThrottle)
        .Add("throttle_dc", policy->ProcessorPolicyDc.DynamicThrottle);
    return call.Succeed();
}

extern "C" BOOLEAN WINAPI WriteProcessorPwrScheme(UINT id, PMACHINE_PROCESSOR_POWER_POLICY policy) {
    PowerCall call("WriteProcessorPwrScheme");
    call.Args().Add("id", id).AddPointer("policy", policy);
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if (policy == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    call.Args()
        .Add("throttle_ac", policy->ProcessorPolicyAc.DynamicThrottle)
        .Add("throttle_dc", policy->ProcessorPolicyDc.DynamicThrottle);
    if (!UserMayWriteSchemes()) {
        return call.Fail(ERROR_ACCESS_DENIED);
    }
    if (policy->Revision != 1) {
        return call.Fail(ERROR_REVISION_MISMATCH);
    }
    const LONG status = WriteProcessorScheme(id, *policy);
    return status == ERROR_SUCCESS ? call.Succeed() : call.Fail(static_cast<DWORD>(status));
}

extern "C" BOOLEAN WINAPI ValidatePowerPolicies(PGLOBAL_POWER_POLICY global, PPOWER_POLICY policy) {
    PowerCall call("ValidatePowerPolicies");
    call.Args().AddPointer("global", global).AddPointer("policy", policy);
    if (XpSchemesRetired()) {
        return call.Fail(ERROR_CALL_NOT_IMPLEMENTED);
    }
    if ((global != nullptr && !RevisionValid(*global)) ||
        (policy != nullptr && !RevisionValid(*policy))) {
        return call.Fail(ERROR_REVISION_MISMATCH);
    }
    return call.Succeed();
}
