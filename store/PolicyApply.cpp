#include "PolicyApply.h"

#include "PolicyMapping.h"
#include "PolicyRecords.h"
#include "PolicyRules.h"

namespace store {

static_assert(SystemReserveHiberFile == 10);

bool ApplyGlobalSettings(const GlobalPowerSettings& settings, int versionClass,
                         const std::function<void()>& sideEffects) {
    GLOBAL_USER_POWER_POLICY record{};
    const bool read = GlobalUserPolicyRecord(record, false);
    MapGlobalSettings(settings, versionClass, record);
    if (sideEffects) {
        sideEffects();
    }
    const bool written = GlobalUserPolicyRecord(record, true);
    return read && written;
}

LONG ReserveHibernationFile(PowerApi& api, std::uint32_t hibernateEnable) {
    BOOLEAN reserve = static_cast<BOOLEAN>(hibernateEnable & 0xFF);
    return api.CallNtPowerInformation(SystemReserveHiberFile, &reserve, sizeof reserve, nullptr, 0);
}

bool ApplyMode(const PowerSaveMode& mode, int column, int scheme,
               const std::function<void(int column)>& hardwareStep) {
    MACHINE_POWER_POLICY machine{};
    USER_POWER_POLICY user{};
    bool found = MachinePolicyRecord(machine, scheme, false);
    found = UserPolicyRecord(user, scheme, false) && found;

    const int c = ValidColumn(column);
    if (hardwareStep) {
        hardwareStep(c);
    }
    MapModeColumn(mode, c, user, machine);

    found = MachinePolicyRecord(machine, scheme, true) && found;
    found = UserPolicyRecord(user, scheme, true) && found;
    return found;
}

bool WriteProcessorPolicy(PowerApi& api, int scheme, BYTE throttle) {
    MACHINE_PROCESSOR_POWER_POLICY record{};
    BuildProcessorPolicy(throttle, throttle, record);
    const bool found = ProcessorPolicyRecord(record, scheme, true);
    if (scheme >= 0) {
        MACHINE_PROCESSOR_POWER_POLICY scratch{};
        api.ReadProcessorPwrScheme(static_cast<UINT>(scheme), &scratch);
    }
    return found;
}

} // namespace store
