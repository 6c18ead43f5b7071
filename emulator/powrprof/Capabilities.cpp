#include "Capabilities.h"

#include "RegistryValueStore.h"

namespace powrprof {

using emulator::StateValue;

SYSTEM_POWER_CAPABILITIES MachineCapabilities() {
    emulator::RegistryMachine machine;
    emulator::MachineState& state = machine.State();
    auto flag = [&state](StateValue v) -> BOOLEAN { return state.Get(v) != 0 ? TRUE : FALSE; };

    SYSTEM_POWER_CAPABILITIES caps{};
    caps.PowerButtonPresent = flag(StateValue::CapPowerButton);
    caps.SleepButtonPresent = flag(StateValue::CapSleepButton);
    caps.LidPresent = flag(StateValue::CapLid);
    caps.SystemS1 = flag(StateValue::CapS1);
    caps.SystemS2 = flag(StateValue::CapS2);
    caps.SystemS3 = flag(StateValue::CapS3);
    caps.SystemS4 = flag(StateValue::CapS4);
    caps.SystemS5 = flag(StateValue::CapS5);
    caps.HiberFilePresent = flag(StateValue::HiberFile);
    // Fixed traits of the notebook: it can dim and throttle, spin its disk down and cool itself.
    caps.FullWake = TRUE;
    caps.VideoDimPresent = TRUE;
    caps.ThermalControl = TRUE;
    caps.ProcessorThrottle = TRUE;
    caps.ProcessorMinThrottle = 25;
    caps.ProcessorMaxThrottle = 100;
    caps.DiskSpinDown = TRUE;

    // The battery is whatever Wine reports (the session's fake battery).
    SYSTEM_POWER_STATUS status{};
    if (::GetSystemPowerStatus(&status) && status.BatteryFlag != 128 && status.BatteryFlag != 255) {
        caps.SystemBatteriesPresent = TRUE;
    }

    const SYSTEM_POWER_STATE wake = caps.SystemS3   ? PowerSystemSleeping3
                                    : caps.SystemS1 ? PowerSystemSleeping1
                                                    : PowerSystemUnspecified;
    caps.AcOnLineWake = wake;
    caps.SoftLidWake = caps.LidPresent ? wake : PowerSystemUnspecified;
    caps.RtcWake = wake;
    caps.MinDeviceWakeState = wake;
    caps.DefaultLowLatencyWake = PowerSystemUnspecified;
    return caps;
}

// Hibernation needs the S4 state and a reserved hibernation file, as on the real system.
bool HibernateAllowed(const SYSTEM_POWER_CAPABILITIES& caps) {
    return caps.SystemS4 && caps.HiberFilePresent;
}

bool SuspendAllowed(const SYSTEM_POWER_CAPABILITIES& caps) {
    return caps.SystemS1 || caps.SystemS2 || caps.SystemS3;
}

} // namespace powrprof
