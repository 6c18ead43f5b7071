#include "PolicyMapping.h"

#include <cstdint>
#include <cstring>

#include "PolicyRules.h"

namespace store {
namespace {

static_assert(sizeof(POWER_ACTION) == sizeof(std::uint32_t));

// The stored action is a plain word and may hold a value the enumeration does not name;
// copying the bytes keeps it exactly as stored without converting an unknown value to the
// enumeration type.
void SetAction(POWER_ACTION& field, std::uint32_t value) {
    std::memcpy(&field, &value, sizeof field);
}

void SetPolicy(POWER_ACTION_POLICY& policy, const ButtonRule& rule) {
    SetAction(policy.Action, rule.action);
    policy.Flags = rule.flags;
    policy.EventCode = rule.eventCode;
}

void SetDischarge(SYSTEM_POWER_LEVEL& level, const BatteryAlarm& alarm) {
    level.Enable = static_cast<BOOLEAN>(alarm.Enable & 0xFF);
    level.BatteryLevel = alarm.Level;
    SetAction(level.PowerPolicy.Action, alarm.Action);
    level.PowerPolicy.EventCode = alarm.Notify;
}

void SetIdle(POWER_ACTION_POLICY& idle, std::uint32_t action, DWORD flags) {
    SetAction(idle.Action, action);
    idle.Flags = flags;
    idle.EventCode = 0;
}

struct ProcessorStep {
    BYTE demotePercent;
    BYTE promotePercent;
    bool allowDemotion;
    bool allowPromotion;
};

constexpr DWORD kProcessorLimit = 100000;

// The lowest step may only speed up, the highest only slow down.
constexpr ProcessorStep kAcSteps[3] = {
    {40, 50, false, true}, {40, 60, true, true}, {40, 80, true, false}};
constexpr ProcessorStep kDcSteps[3] = {
    {10, 20, false, true}, {20, 40, true, true}, {20, 70, true, false}};

void BuildHalf(BYTE throttle, const ProcessorStep (&steps)[3], PROCESSOR_POWER_POLICY& half) {
    half.Revision = 1;
    half.DynamicThrottle = throttle;
    half.PolicyCount = 3;
    for (int i = 0; i < 3; ++i) {
        PROCESSOR_POWER_POLICY_INFO& info = half.Policy[i];
        info.TimeCheck = kProcessorLimit;
        info.DemoteLimit = kProcessorLimit;
        info.PromoteLimit = kProcessorLimit;
        info.DemotePercent = steps[i].demotePercent;
        info.PromotePercent = steps[i].promotePercent;
        // Bit-field stores: the reserved bits of the same word stay as they were.
        info.AllowDemotion = steps[i].allowDemotion ? 1 : 0;
        info.AllowPromotion = steps[i].allowPromotion ? 1 : 0;
    }
}

} // namespace

void MapGlobalSettings(const GlobalPowerSettings& settings, int versionClass,
                       GLOBAL_USER_POWER_POLICY& record) {
    const ButtonRules rules = ButtonRulesFor(settings, versionClass);
    SetPolicy(record.PowerButtonAc, rules.powerButton);
    SetPolicy(record.PowerButtonDc, rules.powerButton);
    SetPolicy(record.SleepButtonAc, rules.sleepButton);
    SetPolicy(record.SleepButtonDc, rules.sleepButton);
    SetPolicy(record.LidCloseAc, rules.lidClose);
    SetPolicy(record.LidCloseDc, rules.lidClose);

    SetDischarge(record.DischargePolicy[DISCHARGE_POLICY_CRITICAL], settings.CriticalAlarm);
    SetDischarge(record.DischargePolicy[DISCHARGE_POLICY_LOW], settings.LowAlarm);

    record.GlobalFlags = GlobalFlagsFor(record.GlobalFlags, settings.PasswordLogonEnable);
}

void MapModeColumn(const PowerSaveMode& mode, int column, USER_POWER_POLICY& user,
                   MACHINE_POWER_POLICY& machine) {
    const ModeTimeouts t = ModeTimeoutsFor(mode, column);

    SetIdle(user.IdleAc, t.idleAction, 1);
    SetIdle(user.IdleDc, t.idleAction, 0);
    user.ForcedThrottleAc = 100;
    user.ForcedThrottleDc = 100;
    user.VideoTimeoutAc = t.videoTimeout;
    user.VideoTimeoutDc = t.videoTimeout;
    user.SpindownTimeoutAc = t.spindownTimeout;
    user.SpindownTimeoutDc = t.spindownTimeout;
    user.IdleTimeoutAc = t.idleTimeout;
    user.IdleTimeoutDc = t.idleTimeout;

    machine.DozeS4TimeoutAc = t.dozeS4Timeout;
    machine.DozeS4TimeoutDc = t.dozeS4Timeout;
}

void BuildProcessorPolicy(BYTE throttleAc, BYTE throttleDc,
                          MACHINE_PROCESSOR_POWER_POLICY& record) {
    record.Revision = 1;
    BuildHalf(throttleAc, kAcSteps, record.ProcessorPolicyAc);
    BuildHalf(throttleDc, kDcSteps, record.ProcessorPolicyDc);
}

} // namespace store
