#include "PowerSchemeSeed.h"

#include <array>

#include "Journal.h"
#include "PowerSchemeLayout.h"
#include "RegistryAccess.h"

namespace emulator {

namespace {

using namespace power;

struct SeedScheme {
    const wchar_t* name;
    const wchar_t* description;
    // Seconds, 0 = never; hibernate counts from the start of stand-by.
    ULONG videoAc, videoDc;
    ULONG diskAc, diskDc;
    ULONG standbyAc, standbyDc;
    ULONG hibernateAc, hibernateDc;
    UCHAR throttleAc, throttleDc; // PO_THROTTLE_*
};

constexpr std::array<SeedScheme, kSeedSchemeCount> kSchemes{{
    {L"Desk Computer", L"For a computer that stays on the desk and runs from mains.", 1200, 300, 0,
     600, 0, 1200, 0, 0, PO_THROTTLE_NONE, PO_THROTTLE_ADAPTIVE},
    {L"Notebook", L"For a portable computer that runs from mains or from its battery.", 900, 300,
     1800, 600, 1200, 300, 0, 3600, PO_THROTTLE_ADAPTIVE, PO_THROTTLE_ADAPTIVE},
    {L"Slide Show", L"Keeps the display on while you present.", 0, 0, 0, 300, 0, 0, 0, 0,
     PO_THROTTLE_NONE, PO_THROTTLE_ADAPTIVE},
    {L"Always Awake", L"Never stands by, for a computer that serves others.", 1200, 1200, 3600,
     3600, 0, 0, 0, 0, PO_THROTTLE_NONE, PO_THROTTLE_NONE},
    {L"Light Saving", L"Turns off only what has been idle for a long time.", 900, 900, 0, 0, 0, 0,
     0, 0, PO_THROTTLE_ADAPTIVE, PO_THROTTLE_ADAPTIVE},
    {L"Battery Stretch", L"Saves as much battery power as it can.", 600, 60, 1200, 180, 1200, 120,
     0, 2700, PO_THROTTLE_ADAPTIVE, PO_THROTTLE_DEGRADE},
}};

POWER_ACTION_POLICY Action(POWER_ACTION action, ULONG flags, ULONG eventCode) {
    POWER_ACTION_POLICY policy{};
    policy.Action = action;
    policy.Flags = flags;
    policy.EventCode = eventCode;
    return policy;
}

USER_POWER_POLICY UserPolicy(const SeedScheme& s) {
    USER_POWER_POLICY user{};
    user.Revision = 1;
    user.IdleAc = Action(PowerActionSleep, 0, 0);
    user.IdleDc = Action(PowerActionSleep, 0, 0);
    user.IdleTimeoutAc = s.standbyAc;
    user.IdleTimeoutDc = s.standbyDc;
    user.IdleSensitivityAc = 50;
    user.IdleSensitivityDc = 50;
    user.ThrottlePolicyAc = s.throttleAc;
    user.ThrottlePolicyDc = s.throttleDc;
    user.MaxSleepAc = PowerSystemSleeping3;
    user.MaxSleepDc = PowerSystemSleeping3;
    user.VideoTimeoutAc = s.videoAc;
    user.VideoTimeoutDc = s.videoDc;
    user.SpindownTimeoutAc = s.diskAc;
    user.SpindownTimeoutDc = s.diskDc;
    user.OptimizeForPowerAc = FALSE;
    user.OptimizeForPowerDc = TRUE;
    user.FanThrottleToleranceAc = 100;
    user.FanThrottleToleranceDc = 100;
    user.ForcedThrottleAc = 100;
    user.ForcedThrottleDc = 100;
    return user;
}

MACHINE_POWER_POLICY MachinePolicy(const SeedScheme& s) {
    MACHINE_POWER_POLICY machine{};
    machine.Revision = 1;
    machine.MinSleepAc = PowerSystemSleeping1;
    machine.MinSleepDc = PowerSystemSleeping1;
    machine.ReducedLatencySleepAc = PowerSystemSleeping1;
    machine.ReducedLatencySleepDc = PowerSystemSleeping1;
    machine.DozeS4TimeoutAc = s.hibernateAc;
    machine.DozeS4TimeoutDc = s.hibernateDc;
    machine.MinThrottleAc = 25;
    machine.MinThrottleDc = 25;
    machine.OverThrottledAc = Action(PowerActionNone, 0, 0);
    machine.OverThrottledDc = Action(PowerActionNone, 0, 0);
    return machine;
}

PROCESSOR_POWER_POLICY ProcessorHalf(UCHAR throttle, bool battery) {
    // Demote/promote thresholds in percent of busy time, per processor state.
    struct Step {
        BYTE demote, promote;
        bool allowDemotion, allowPromotion;
    };
    constexpr std::array<Step, 3> kAc{
        {{40, 50, false, true}, {40, 60, true, true}, {40, 80, true, false}}};
    constexpr std::array<Step, 3> kDc{
        {{10, 20, false, true}, {20, 40, true, true}, {20, 70, true, false}}};
    PROCESSOR_POWER_POLICY half{};
    half.Revision = 1;
    half.DynamicThrottle = throttle;
    half.PolicyCount = 3;
    for (std::size_t i = 0; i < 3; ++i) {
        const Step& step = battery ? kDc[i] : kAc[i];
        PROCESSOR_POWER_POLICY_INFO& info = half.Policy[i];
        info.TimeCheck = 100000;
        info.DemoteLimit = 100000;
        info.PromoteLimit = 100000;
        info.DemotePercent = step.demote;
        info.PromotePercent = step.promote;
        info.AllowDemotion = step.allowDemotion ? 1 : 0;
        info.AllowPromotion = step.allowPromotion ? 1 : 0;
    }
    return half;
}

MACHINE_PROCESSOR_POWER_POLICY ProcessorPolicy(const SeedScheme& s) {
    MACHINE_PROCESSOR_POWER_POLICY processor{};
    processor.Revision = 1;
    processor.ProcessorPolicyAc = ProcessorHalf(s.throttleAc, false);
    processor.ProcessorPolicyDc = ProcessorHalf(s.throttleDc, true);
    return processor;
}

SYSTEM_POWER_LEVEL Discharge(bool enable, ULONG level, POWER_ACTION action, ULONG eventCode) {
    SYSTEM_POWER_LEVEL entry{};
    entry.Enable = enable ? TRUE : FALSE;
    entry.BatteryLevel = level;
    entry.PowerPolicy = Action(action, 0, eventCode);
    entry.MinSystemState = PowerSystemSleeping1;
    return entry;
}

GLOBAL_USER_POWER_POLICY GlobalUserPolicy() {
    constexpr ULONG kQueryAndUi = POWER_ACTION_QUERY_ALLOWED | POWER_ACTION_UI_ALLOWED;
    constexpr ULONG kNotify = POWER_LEVEL_USER_NOTIFY_TEXT | POWER_LEVEL_USER_NOTIFY_SOUND;
    GLOBAL_USER_POWER_POLICY global{};
    global.Revision = 1;
    global.PowerButtonAc = Action(PowerActionShutdownOff, kQueryAndUi, 0);
    global.PowerButtonDc = Action(PowerActionShutdownOff, kQueryAndUi, 0);
    global.SleepButtonAc = Action(PowerActionSleep, kQueryAndUi, 0);
    global.SleepButtonDc = Action(PowerActionSleep, kQueryAndUi, 0);
    global.LidCloseAc = Action(PowerActionSleep, POWER_ACTION_QUERY_ALLOWED, 0);
    global.LidCloseDc = Action(PowerActionSleep, POWER_ACTION_QUERY_ALLOWED, 0);
    global.DischargePolicy[DISCHARGE_POLICY_CRITICAL] =
        Discharge(true, 3, PowerActionHibernate, kNotify);
    global.DischargePolicy[DISCHARGE_POLICY_LOW] = Discharge(true, 10, PowerActionNone, kNotify);
    global.DischargePolicy[2] = Discharge(false, 0, PowerActionNone, 0);
    global.DischargePolicy[3] = Discharge(false, 0, PowerActionNone, 0);
    global.GlobalFlags = EnableSysTrayBatteryMeter | EnableMultiBatteryDisplay |
                         EnablePasswordLogon | EnableVideoDimDisplay;
    return global;
}

GLOBAL_MACHINE_POWER_POLICY GlobalMachinePolicy() {
    GLOBAL_MACHINE_POWER_POLICY global{};
    global.Revision = 1;
    global.LidOpenWakeAc = PowerSystemWorking;
    global.LidOpenWakeDc = PowerSystemWorking;
    global.BroadcastCapacityResolution = 25;
    return global;
}

class Seeder {
public:
    SeedResult Result() const { return result_; }

    template <typename Policy>
    void Policies(HKEY root, const std::string& path, const Policy& record) {
        if (!ValueExists(root, path, kPoliciesValue)) {
            Note(WriteRecord(root, path, kPoliciesValue, &record, sizeof record));
        }
    }

    void Decimal(HKEY root, const std::string& path, const char* name, std::uint32_t value) {
        if (!ValueExists(root, path, name)) {
            Note(WriteDecimal(root, path, name, value));
        }
    }

    void Text(HKEY root, const std::string& path, const wchar_t* name, const wchar_t* text) {
        std::wstring existing;
        if (ReadWideText(root, path, name, existing) == ERROR_FILE_NOT_FOUND) {
            Note(WriteWideText(root, path, name, text));
        }
    }

private:
    void Note(LONG status) {
        if (status == ERROR_SUCCESS) {
            ++result_.written;
        } else if (result_.status == ERROR_SUCCESS) {
            result_.status = status;
        }
    }

    SeedResult result_;
};

} // namespace

void JournalSeed(const char* function, const SeedResult& result) {
    ArgumentList outcome;
    outcome.Add("written", result.written);
    const std::string status =
        result.status == ERROR_SUCCESS
            ? "TRUE " + outcome.Text()
            : "FALSE error=" + std::to_string(result.status) + " " + outcome.Text();
    JournalCall("emulator", function, "", status);
}

SeedResult SeedPowerSchemes() {
    Seeder seed;
    seed.Decimal(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kLastIdValue, kSeedSchemeCount - 1);
    seed.Decimal(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kSpinDownMaxValue, 3600);
    seed.Decimal(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kSpinDownMinValue, 3);
    seed.Policies(HKEY_LOCAL_MACHINE, kMachineGlobal, GlobalMachinePolicy());
    seed.Policies(HKEY_CURRENT_USER, kUserGlobal, GlobalUserPolicy());
    for (UINT id = 0; id < kSeedSchemeCount; ++id) {
        const SeedScheme& s = kSchemes[id];
        seed.Policies(HKEY_LOCAL_MACHINE, SchemeKey(kMachineSchemes, id), MachinePolicy(s));
        seed.Policies(HKEY_LOCAL_MACHINE, SchemeKey(kMachineProcessor, id), ProcessorPolicy(s));
        const std::string user = SchemeKey(kUserSchemes, id);
        seed.Text(HKEY_CURRENT_USER, user, kNameValue, s.name);
        seed.Text(HKEY_CURRENT_USER, user, kDescriptionValue, s.description);
        seed.Policies(HKEY_CURRENT_USER, user, UserPolicy(s));
    }
    seed.Decimal(HKEY_CURRENT_USER, kUserPowerCfg, kCurrentPolicyValue, kSeedActiveScheme);

    const SeedResult result = seed.Result();
    JournalSeed("SeedPowerSchemes", result);
    return result;
}

} // namespace emulator
