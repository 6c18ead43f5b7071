#include "SchemeRecords.h"

#include <algorithm>

#include "NumberText.h"
#include "RegistryAccess.h"
#include "RegistryValueStore.h"

namespace powrprof {

using namespace emulator;
using namespace emulator::power;

bool UserMayWriteSchemes() {
    RegistryMachine machine;
    return machine.State().Get(StateValue::CanUserWritePwrScheme) != 0;
}

LONG ReadScheme(UINT id, POWER_POLICY& policy) {
    POWER_POLICY read{};
    LONG status = ReadRecord(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, id), kPoliciesValue,
                             &read.user, sizeof read.user);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    status = ReadRecord(HKEY_LOCAL_MACHINE, SchemeKey(kMachineSchemes, id), kPoliciesValue,
                        &read.mach, sizeof read.mach);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    policy = read;
    return ERROR_SUCCESS;
}

LONG WriteScheme(UINT id, const POWER_POLICY& policy) {
    const LONG status = WriteRecord(HKEY_LOCAL_MACHINE, SchemeKey(kMachineSchemes, id),
                                    kPoliciesValue, &policy.mach, sizeof policy.mach);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    return WriteRecord(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, id), kPoliciesValue, &policy.user,
                       sizeof policy.user);
}

LONG ReadSchemeTexts(UINT id, std::wstring& name, std::wstring& description) {
    const std::string key = SchemeKey(kUserSchemes, id);
    // A scheme without a name or description is shown with empty text, as the system does.
    std::wstring readName;
    std::wstring readDescription;
    LONG status = ReadWideText(HKEY_CURRENT_USER, key, kNameValue, readName);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        return status;
    }
    status = ReadWideText(HKEY_CURRENT_USER, key, kDescriptionValue, readDescription);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        return status;
    }
    name = readName;
    description = readDescription;
    return ERROR_SUCCESS;
}

bool SchemeExists(UINT id) {
    return KeyExists(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, id));
}

std::vector<UINT> SchemeIds() {
    std::vector<UINT> ids;
    for (const std::string& name : SubkeyNames(HKEY_CURRENT_USER, kUserSchemes)) {
        if (const auto id = ParseDecimal(name); id && *id != static_cast<UINT>(-1)) {
            ids.push_back(*id);
        }
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

UINT NewSchemeId() {
    std::uint32_t lastId = 0;
    bool any =
        ReadDecimal(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kLastIdValue, lastId) == ERROR_SUCCESS;
    for (const UINT id : SchemeIds()) {
        if (!any || id > lastId) {
            lastId = id;
            any = true;
        }
    }
    return any ? lastId + 1 : 0;
}

LONG DeleteScheme(UINT id) {
    const LONG status = DeleteKeyTree(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, id));
    if (status != ERROR_SUCCESS) {
        return status;
    }
    // The machine halves belong to the scheme too; a scheme written without them is fine.
    for (const char* base : {kMachineSchemes, kMachineProcessor}) {
        const LONG machine = DeleteKeyTree(HKEY_LOCAL_MACHINE, SchemeKey(base, id));
        if (machine != ERROR_SUCCESS && machine != ERROR_FILE_NOT_FOUND) {
            return machine;
        }
    }
    return ERROR_SUCCESS;
}

LONG ReadGlobal(GLOBAL_POWER_POLICY& policy) {
    GLOBAL_POWER_POLICY read{};
    LONG status =
        ReadRecord(HKEY_CURRENT_USER, kUserGlobal, kPoliciesValue, &read.user, sizeof read.user);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    status = ReadRecord(HKEY_LOCAL_MACHINE, kMachineGlobal, kPoliciesValue, &read.mach,
                        sizeof read.mach);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    policy = read;
    return ERROR_SUCCESS;
}

LONG WriteGlobal(const GLOBAL_POWER_POLICY& policy) {
    const LONG status = WriteRecord(HKEY_LOCAL_MACHINE, kMachineGlobal, kPoliciesValue,
                                    &policy.mach, sizeof policy.mach);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    return WriteRecord(HKEY_CURRENT_USER, kUserGlobal, kPoliciesValue, &policy.user,
                       sizeof policy.user);
}

LONG ReadActiveScheme(UINT& id) {
    std::uint32_t value = 0;
    const LONG status = ReadDecimal(HKEY_CURRENT_USER, kUserPowerCfg, kCurrentPolicyValue, value);
    if (status == ERROR_SUCCESS) {
        id = value;
    }
    return status;
}

LONG WriteActiveScheme(UINT id) {
    return WriteDecimal(HKEY_CURRENT_USER, kUserPowerCfg, kCurrentPolicyValue, id);
}

LONG ReadProcessorScheme(UINT id, MACHINE_PROCESSOR_POWER_POLICY& policy) {
    return ReadRecord(HKEY_LOCAL_MACHINE, SchemeKey(kMachineProcessor, id), kPoliciesValue, &policy,
                      sizeof policy);
}

LONG WriteProcessorScheme(UINT id, const MACHINE_PROCESSOR_POWER_POLICY& policy) {
    return WriteRecord(HKEY_LOCAL_MACHINE, SchemeKey(kMachineProcessor, id), kPoliciesValue,
                       &policy, sizeof policy);
}

bool RevisionValid(const POWER_POLICY& policy) {
    return policy.user.Revision == 1 && policy.mach.Revision == 1;
}

bool RevisionValid(const GLOBAL_POWER_POLICY& policy) {
    return policy.user.Revision == 1 && policy.mach.Revision == 1;
}

} // namespace powrprof
