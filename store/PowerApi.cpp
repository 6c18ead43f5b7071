#include "PowerApi.h"

namespace store {
namespace {

constexpr std::array<const char*, static_cast<std::size_t>(PowerEntry::Count)> kEntryNames = {
    "CallNtPowerInformation",  "ReadGlobalPwrPolicy",     "GetActivePwrScheme",
    "SetActivePwrScheme",      "WritePwrScheme",          "GetPwrCapabilities",
    "ReadProcessorPwrScheme",  "WriteProcessorPwrScheme", "DeletePwrScheme",
    "GetCurrentPowerPolicies", "IsPwrHibernateAllowed",   "SetSuspendState",
    "CanUserWritePwrScheme"};

// The published declarations fix each pointer's signature and calling convention, so a
// forwarder cannot drift from the library it calls.
using CallNtPowerInformationFn = decltype(&::CallNtPowerInformation);
using GetActivePwrSchemeFn = decltype(&::GetActivePwrScheme);
using SetActivePwrSchemeFn = decltype(&::SetActivePwrScheme);
using WritePwrSchemeFn = BOOLEAN(WINAPI*)(PUINT, LPWSTR, LPWSTR, PPOWER_POLICY);
using GetPwrCapabilitiesFn = decltype(&::GetPwrCapabilities);
using ReadProcessorPwrSchemeFn = decltype(&::ReadProcessorPwrScheme);
using WriteProcessorPwrSchemeFn = decltype(&::WriteProcessorPwrScheme);
using DeletePwrSchemeFn = decltype(&::DeletePwrScheme);
using GetCurrentPowerPoliciesFn = decltype(&::GetCurrentPowerPolicies);
using IsPwrHibernateAllowedFn = decltype(&::IsPwrHibernateAllowed);
using SetSuspendStateFn = decltype(&::SetSuspendState);
using CanUserWritePwrSchemeFn = decltype(&::CanUserWritePwrScheme);

// Only the low byte of a BOOLEAN result is defined; the rest of the register is whatever the
// library left there.
bool LowByte(BOOLEAN result) {
    return (result & 0xFF) != 0;
}

} // namespace

PowerApi::PowerApi(const char* libraryName) : module_(::LoadLibraryA(libraryName)) {
    if (!module_) {
        return;
    }
    for (std::size_t i = 0; i < kEntryNames.size(); ++i) {
        procs_[i] = framework::ProcAddress<AnyProc>(module_.Get(), kEntryNames[i]);
    }
}

bool PowerApi::Has(PowerEntry entry) const {
    const auto index = static_cast<std::size_t>(entry);
    return index < procs_.size() && procs_[index] != nullptr;
}

LONG PowerApi::CallNtPowerInformation(POWER_INFORMATION_LEVEL level, PVOID input, ULONG inputSize,
                                      PVOID output, ULONG outputSize) {
    auto fn = Proc<CallNtPowerInformationFn>(PowerEntry::CallNtPowerInformation);
    if (fn == nullptr) {
        return kStatusNotImplemented;
    }
    return fn(level, input, inputSize, output, outputSize);
}

bool PowerApi::GetActivePwrScheme(PUINT scheme) {
    auto fn = Proc<GetActivePwrSchemeFn>(PowerEntry::GetActivePwrScheme);
    return fn != nullptr && LowByte(fn(scheme));
}

bool PowerApi::SetActivePwrScheme(UINT scheme, PGLOBAL_POWER_POLICY global, PPOWER_POLICY policy) {
    auto fn = Proc<SetActivePwrSchemeFn>(PowerEntry::SetActivePwrScheme);
    return fn != nullptr && LowByte(fn(scheme, global, policy));
}

bool PowerApi::WritePwrScheme(PUINT scheme, LPWSTR name, LPWSTR description, PPOWER_POLICY policy) {
    auto fn = Proc<WritePwrSchemeFn>(PowerEntry::WritePwrScheme);
    return fn != nullptr && LowByte(fn(scheme, name, description, policy));
}

bool PowerApi::GetPwrCapabilities(PSYSTEM_POWER_CAPABILITIES capabilities) {
    auto fn = Proc<GetPwrCapabilitiesFn>(PowerEntry::GetPwrCapabilities);
    return fn != nullptr && LowByte(fn(capabilities));
}

bool PowerApi::ReadProcessorPwrScheme(UINT scheme, PMACHINE_PROCESSOR_POWER_POLICY policy) {
    auto fn = Proc<ReadProcessorPwrSchemeFn>(PowerEntry::ReadProcessorPwrScheme);
    return fn != nullptr && LowByte(fn(scheme, policy));
}

bool PowerApi::WriteProcessorPwrScheme(UINT scheme, PMACHINE_PROCESSOR_POWER_POLICY policy) {
    auto fn = Proc<WriteProcessorPwrSchemeFn>(PowerEntry::WriteProcessorPwrScheme);
    return fn != nullptr && LowByte(fn(scheme, policy));
}

bool PowerApi::DeletePwrScheme(UINT scheme) {
    auto fn = Proc<DeletePwrSchemeFn>(PowerEntry::DeletePwrScheme);
    return fn != nullptr && LowByte(fn(scheme));
}

bool PowerApi::GetCurrentPowerPolicies(PGLOBAL_POWER_POLICY global, PPOWER_POLICY policy) {
    auto fn = Proc<GetCurrentPowerPoliciesFn>(PowerEntry::GetCurrentPowerPolicies);
    return fn != nullptr && LowByte(fn(global, policy));
}

bool PowerApi::IsPwrHibernateAllowed() {
    auto fn = Proc<IsPwrHibernateAllowedFn>(PowerEntry::IsPwrHibernateAllowed);
    return fn != nullptr && LowByte(fn());
}

bool PowerApi::SetSuspendState(BOOLEAN hibernate, BOOLEAN forceCritical, BOOLEAN disableWakeEvent) {
    auto fn = Proc<SetSuspendStateFn>(PowerEntry::SetSuspendState);
    return fn != nullptr && LowByte(fn(hibernate, forceCritical, disableWakeEvent));
}

bool PowerApi::CanUserWritePwrScheme() {
    auto fn = Proc<CanUserWritePwrSchemeFn>(PowerEntry::CanUserWritePwrScheme);
    return fn != nullptr && LowByte(fn());
}

} // namespace store
