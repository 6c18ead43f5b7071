#include "PolicyRecords.h"

#include "RegistryKey.h"
#include "SchemeStore.h"

namespace store {
namespace {

std::string SchemePath(const std::string& parent, int scheme) {
    if (scheme < 0) {
        return {};
    }
    return parent + "\\" + std::to_string(scheme);
}

bool Access(HKEY root, const std::string& path, void* record, DWORD size, bool write) {
    if (path.empty()) {
        return false;
    }
    RegistryKey key(root);
    if (!key.Open(path, write ? KEY_SET_VALUE : KEY_QUERY_VALUE)) {
        return false;
    }
    if (write) {
        key.WriteBinary(kPolicyValueName, record, size);
    } else {
        key.ReadBinaryUpTo(kPolicyValueName, record, size);
    }
    return true;
}

} // namespace

std::string UserPolicyPath(int scheme) {
    return SchemePath(kUserSchemesPath, scheme);
}

std::string MachinePolicyPath(int scheme) {
    return SchemePath(std::string(kPowerCfgMachinePath) + "\\PowerPolicies", scheme);
}

std::string ProcessorPolicyPath(int scheme) {
    return SchemePath(std::string(kPowerCfgMachinePath) + "\\ProcessorPolicies", scheme);
}

bool UserPolicyRecord(USER_POWER_POLICY& record, int scheme, bool write) {
    return Access(HKEY_CURRENT_USER, UserPolicyPath(scheme), &record, sizeof record, write);
}

bool MachinePolicyRecord(MACHINE_POWER_POLICY& record, int scheme, bool write) {
    return Access(HKEY_LOCAL_MACHINE, MachinePolicyPath(scheme), &record, sizeof record, write);
}

bool GlobalUserPolicyRecord(GLOBAL_USER_POWER_POLICY& record, bool write) {
    return Access(HKEY_CURRENT_USER, kGlobalUserPolicyPath, &record, sizeof record, write);
}

bool GlobalMachinePolicyRecord(GLOBAL_MACHINE_POWER_POLICY& record, bool write) {
    return Access(HKEY_LOCAL_MACHINE, kGlobalMachinePolicyPath, &record, sizeof record, write);
}

bool ProcessorPolicyRecord(MACHINE_PROCESSOR_POWER_POLICY& record, int scheme, bool write) {
    return Access(HKEY_LOCAL_MACHINE, ProcessorPolicyPath(scheme), &record, sizeof record, write);
}

} // namespace store
