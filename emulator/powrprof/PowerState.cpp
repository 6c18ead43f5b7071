// The power manager's questions about the machine and its two actions on it (reserving the
// hibernation file, suspending), answered from the emulator's machine state.
#include "Capabilities.h"
#include "PowerCall.h"
#include "RegistryValueStore.h"
#include "SchemeRecords.h"

using namespace powrprof;

namespace {

// NTSTATUS values; ntstatus.h cannot be included beside windows.h without ceremony.
constexpr LONG kStatusSuccess = 0;
constexpr LONG kStatusUnsuccessful = static_cast<LONG>(0xC0000001);
constexpr LONG kStatusInvalidParameter = static_cast<LONG>(0xC000000D);
constexpr LONG kStatusBufferTooSmall = static_cast<LONG>(0xC0000023);
constexpr LONG kStatusNotSupported = static_cast<LONG>(0xC00000BB);

LONG ReserveHiberFile(PowerCall& call, PVOID input, ULONG inputLength) {
    if (input == nullptr || inputLength < sizeof(BOOLEAN)) {
        return call.Status(kStatusInvalidParameter);
    }
    const bool reserve = *static_cast<const BOOLEAN*>(input) != FALSE;
    call.Args().Add("reserve", reserve ? 1 : 0);
    emulator::RegistryMachine machine;
    // No hibernation file on a machine that cannot hibernate; freeing one always works.
    if (reserve && machine.State().Get(emulator::StateValue::CapS4) == 0) {
        return call.Status(kStatusNotSupported);
    }
    if (!machine.State().Set(emulator::StateValue::HiberFile, reserve ? 1 : 0)) {
        return call.Status(kStatusUnsuccessful);
    }
    return call.Status(kStatusSuccess);
}

LONG PowerCapabilities(PowerCall& call, PVOID output, ULONG outputLength) {
    if (output == nullptr) {
        return call.Status(kStatusInvalidParameter);
    }
    if (outputLength < sizeof(SYSTEM_POWER_CAPABILITIES)) {
        return call.Status(kStatusBufferTooSmall);
    }
    const SYSTEM_POWER_CAPABILITIES caps = MachineCapabilities();
    *static_cast<SYSTEM_POWER_CAPABILITIES*>(output) = caps;
    return call.Status(kStatusSuccess);
}

} // namespace

extern "C" LONG WINAPI CallNtPowerInformation(POWER_INFORMATION_LEVEL level, PVOID input,
                                              ULONG inputLength, PVOID output, ULONG outputLength) {
    PowerCall call("CallNtPowerInformation");
    call.Args()
        .Add("level", static_cast<std::uint32_t>(level))
        .AddPointer("input", input)
        .Add("input_length", inputLength)
        .AddPointer("output", output)
        .Add("output_length", outputLength);
    switch (level) {
    case SystemReserveHiberFile:
        return ReserveHiberFile(call, input, inputLength);
    case SystemPowerCapabilities:
        return PowerCapabilities(call, output, outputLength);
    default:
        return call.Status(kStatusInvalidParameter);
    }
}

extern "C" BOOLEAN WINAPI GetPwrCapabilities(PSYSTEM_POWER_CAPABILITIES caps) {
    PowerCall call("GetPwrCapabilities");
    call.Args().AddPointer("caps", caps);
    if (caps == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    *caps = MachineCapabilities();
    call.Outputs()
        .Add("s1", caps->SystemS1)
        .Add("s2", caps->SystemS2)
        .Add("s3", caps->SystemS3)
        .Add("s4", caps->SystemS4)
        .Add("s5", caps->SystemS5)
        .Add("lid", caps->LidPresent)
        .Add("sleep_button", caps->SleepButtonPresent)
        .Add("power_button", caps->PowerButtonPresent)
        .Add("hiberfile", caps->HiberFilePresent);
    return call.Succeed();
}

extern "C" BOOLEAN WINAPI CanUserWritePwrScheme() {
    PowerCall call("CanUserWritePwrScheme");
    if (!UserMayWriteSchemes()) {
        return call.Fail(ERROR_ACCESS_DENIED);
    }
    return call.Succeed();
}

extern "C" BOOLEAN WINAPI IsPwrHibernateAllowed() {
    PowerCall call("IsPwrHibernateAllowed");
    return call.Answer(HibernateAllowed(MachineCapabilities()));
}

extern "C" BOOLEAN WINAPI IsPwrSuspendAllowed() {
    PowerCall call("IsPwrSuspendAllowed");
    return call.Answer(SuspendAllowed(MachineCapabilities()));
}

extern "C" BOOLEAN WINAPI IsPwrShutdownAllowed() {
    PowerCall call("IsPwrShutdownAllowed");
    return call.Answer(MachineCapabilities().SystemS5 != FALSE);
}

// No administrator policy overrides the user's schemes on this machine.
extern "C" BOOLEAN WINAPI IsAdminOverrideActive(PADMINISTRATOR_POWER_POLICY policy) {
    PowerCall call("IsAdminOverrideActive");
    call.Args().AddPointer("policy", policy);
    if (policy == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    return call.Answer(false);
}

// Nothing is suspended: the request is checked against the machine and journalled, and the
// call returns as if the machine had already resumed.
extern "C" BOOLEAN WINAPI SetSuspendState(BOOLEAN hibernate, BOOLEAN forceCritical,
                                          BOOLEAN disableWakeEvent) {
    PowerCall call("SetSuspendState");
    call.Args()
        .Add("hibernate", hibernate ? 1 : 0)
        .Add("force", forceCritical ? 1 : 0)
        .Add("disable_wake", disableWakeEvent ? 1 : 0);
    const SYSTEM_POWER_CAPABILITIES caps = MachineCapabilities();
    const bool allowed = hibernate ? HibernateAllowed(caps) : SuspendAllowed(caps);
    if (!allowed) {
        return call.Fail(ERROR_NOT_SUPPORTED);
    }
    return call.Succeed();
}
