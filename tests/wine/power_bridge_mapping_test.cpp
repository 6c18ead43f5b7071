// The mapping of the suite's settings onto the Windows power-policy records, in memory: power
// save modes, the global settings, and the processor policy.
#include "PowerBridgeTest.h"

using namespace bridge_test;

TEST(ModeMapping, NeverStandByHibernatesDirectlyAfterTheHibernateTimeout) {
    ModeRecords r;
    MapModeColumn(ModeWith(1, 7), 0, r.user, r.machine);
    EXPECT_EQ(Word(r.user.IdleAc.Action), static_cast<std::uint32_t>(kActionHibernate));
    EXPECT_EQ(Word(r.user.IdleDc.Action), static_cast<std::uint32_t>(kActionHibernate));
    EXPECT_EQ(r.user.IdleTimeoutAc, 3600u);
    EXPECT_EQ(r.user.IdleTimeoutDc, 3600u);
    EXPECT_EQ(r.machine.DozeS4TimeoutAc, 0u);
    EXPECT_EQ(r.machine.DozeS4TimeoutDc, 0u);
}

TEST(ModeMapping, StandByThenHibernateAfterTheDifference) {
    ModeRecords r;
    MapModeColumn(ModeWith(11, 7), 0, r.user, r.machine);
    EXPECT_EQ(Word(r.user.IdleAc.Action), static_cast<std::uint32_t>(kActionSleep));
    EXPECT_EQ(Word(r.user.IdleDc.Action), static_cast<std::uint32_t>(kActionSleep));
    EXPECT_EQ(r.user.IdleTimeoutAc, 900u);
    EXPECT_EQ(r.user.IdleTimeoutDc, 900u);
    EXPECT_EQ(r.machine.DozeS4TimeoutAc, 2700u);
    EXPECT_EQ(r.machine.DozeS4TimeoutDc, 2700u);
}

TEST(ModeMapping, StandByWithoutHibernateNeverHibernates) {
    ModeRecords r;
    MapModeColumn(ModeWith(11, 1), 0, r.user, r.machine);
    EXPECT_EQ(r.user.IdleTimeoutAc, 900u);
    EXPECT_EQ(r.machine.DozeS4TimeoutAc, 0u);
    EXPECT_EQ(r.machine.DozeS4TimeoutDc, 0u);
}

TEST(ModeMapping, HibernateNotLongerThanStandByDoesNotWrap) {
    ModeRecords r;
    MapModeColumn(ModeWith(6, 12), 0, r.user, r.machine); // 3600 s stand-by, 900 s hibernate
    EXPECT_EQ(r.machine.DozeS4TimeoutAc, 60u);
    EXPECT_EQ(r.machine.DozeS4TimeoutDc, 60u);
}

TEST(ModeMapping, SetsFixedFieldsAndLeavesTheRestOfBothRecords) {
    ModeRecords r;
    const ModeRecords before = r;
    MapModeColumn(ModeWith(11, 7), 0, r.user, r.machine);

    EXPECT_EQ(r.user.IdleAc.Flags, 1u);
    EXPECT_EQ(r.user.IdleDc.Flags, 0u);
    EXPECT_EQ(r.user.IdleAc.EventCode, 0u);
    EXPECT_EQ(r.user.IdleDc.EventCode, 0u);
    EXPECT_EQ(r.user.ForcedThrottleAc, 100);
    EXPECT_EQ(r.user.ForcedThrottleDc, 100);
    EXPECT_EQ(r.user.VideoTimeoutAc, 300u);
    EXPECT_EQ(r.user.VideoTimeoutDc, 300u);
    EXPECT_EQ(r.user.SpindownTimeoutAc, 1800u);
    EXPECT_EQ(r.user.SpindownTimeoutDc, 1800u);

    EXPECT_EQ(r.user.Revision, before.user.Revision);
    EXPECT_EQ(r.user.MaxSleepAc, before.user.MaxSleepAc);
    EXPECT_EQ(r.user.IdleSensitivityAc, before.user.IdleSensitivityAc);
    EXPECT_EQ(r.user.FanThrottleToleranceDc, before.user.FanThrottleToleranceDc);
    EXPECT_EQ(r.user.OptimizeForPowerAc, before.user.OptimizeForPowerAc);
    EXPECT_EQ(r.machine.Revision, before.machine.Revision);
    EXPECT_EQ(r.machine.DozeTimeoutAc, before.machine.DozeTimeoutAc);
    EXPECT_EQ(r.machine.MinThrottleDc, before.machine.MinThrottleDc);
    EXPECT_EQ(r.machine.OverThrottledAc.EventCode, before.machine.OverThrottledAc.EventCode);
    // Only the two hibernate words (offsets 28 and 32) change in the machine record.
    std::vector<BYTE> expected = Bytes(before.machine);
    std::memcpy(expected.data() + 28, &r.machine.DozeS4TimeoutAc, 4);
    std::memcpy(expected.data() + 32, &r.machine.DozeS4TimeoutDc, 4);
    EXPECT_EQ(Bytes(r.machine), expected);
}

TEST(ModeMapping, UsesTheGivenColumnAndColumnZeroForAnInvalidOne) {
    PowerSaveMode mode = ModeWith(11, 7);
    mode.Panel[2] = 16; // 60 s
    mode.Standby[2] = 13;
    ModeRecords r;
    MapModeColumn(mode, 2, r.user, r.machine);
    EXPECT_EQ(r.user.VideoTimeoutAc, 60u);
    EXPECT_EQ(r.user.IdleTimeoutAc, 300u);
    EXPECT_EQ(r.machine.DozeS4TimeoutAc, 3300u);

    for (int column : {-1, 4, 1000}) {
        SCOPED_TRACE(column);
        ModeRecords invalid;
        MapModeColumn(mode, column, invalid.user, invalid.machine);
        EXPECT_EQ(invalid.user.VideoTimeoutAc, 300u);
        EXPECT_EQ(invalid.user.IdleTimeoutAc, 900u);
    }
}

TEST(GlobalMapping, PowerButtonOffOnXpAsksForShutDown) {
    GLOBAL_USER_POWER_POLICY record = Pattern<GLOBAL_USER_POWER_POLICY>(3);
    MapGlobalSettings(SampleGlobal(), kWindowsXp, record);
    for (const POWER_ACTION_POLICY* p : {&record.PowerButtonAc, &record.PowerButtonDc}) {
        EXPECT_EQ(Word(p->Action), 0u);
        EXPECT_EQ(p->Flags, 3u);
        EXPECT_EQ(p->EventCode, 0x10u);
    }
}

TEST(GlobalMapping, PowerButtonOffOnWindows2000IsPlainPowerOff) {
    GLOBAL_USER_POWER_POLICY record = Pattern<GLOBAL_USER_POWER_POLICY>(3);
    MapGlobalSettings(SampleGlobal(), kWindows2000, record);
    for (const POWER_ACTION_POLICY* p : {&record.PowerButtonAc, &record.PowerButtonDc}) {
        EXPECT_EQ(Word(p->Action), 6u);
        EXPECT_EQ(p->Flags, 3u);
        EXPECT_EQ(p->EventCode, 0u);
    }
}

TEST(GlobalMapping, ButtonsAndLidTakeTheirActionsAndFlags) {
    GLOBAL_USER_POWER_POLICY record = Pattern<GLOBAL_USER_POWER_POLICY>(3);
    MapGlobalSettings(SampleGlobal(), kWindowsXp, record);
    for (const POWER_ACTION_POLICY* p : {&record.SleepButtonAc, &record.SleepButtonDc}) {
        EXPECT_EQ(Word(p->Action), 2u);
        EXPECT_EQ(p->Flags, 3u);
        EXPECT_EQ(p->EventCode, 0u);
    }
    for (const POWER_ACTION_POLICY* p : {&record.LidCloseAc, &record.LidCloseDc}) {
        EXPECT_EQ(Word(p->Action), 3u);
        EXPECT_EQ(p->Flags, 1u);
        EXPECT_EQ(p->EventCode, 0u);
    }
}

TEST(GlobalMapping, NoActionOnXpResetsTheTrigger) {
    GlobalPowerSettings s = SampleGlobal();
    s.PowerButton = kActionNone;
    s.LidClose = kActionNone;
    GLOBAL_USER_POWER_POLICY record = Pattern<GLOBAL_USER_POWER_POLICY>(3);
    MapGlobalSettings(s, kWindowsXp, record);
    EXPECT_EQ(record.PowerButtonAc.EventCode, 0x80000000u);
    EXPECT_EQ(record.PowerButtonDc.EventCode, 0x80000000u);
    EXPECT_EQ(record.LidCloseAc.EventCode, 0x80000000u);
    EXPECT_EQ(record.LidCloseDc.EventCode, 0x80000000u);
    EXPECT_EQ(record.LidCloseAc.Flags, 1u);

    GLOBAL_USER_POWER_POLICY notXp = Pattern<GLOBAL_USER_POWER_POLICY>(3);
    MapGlobalSettings(s, kWindows2000, notXp);
    EXPECT_EQ(notXp.PowerButtonAc.EventCode, 0u);
    EXPECT_EQ(notXp.LidCloseDc.EventCode, 0u);
}

TEST(GlobalMapping, UnknownActionWordIsKeptAsStored) {
    GlobalPowerSettings s = SampleGlobal();
    s.SleepButton = 0xDEADBEEF;
    GLOBAL_USER_POWER_POLICY record{};
    MapGlobalSettings(s, kWindowsXp, record);
    EXPECT_EQ(Word(record.SleepButtonAc.Action), 0xDEADBEEFu);
}

TEST(GlobalMapping, PasswordFlagAndBatteryMeterFlag) {
    GLOBAL_USER_POWER_POLICY record{};
    GlobalPowerSettings s = SampleGlobal();
    record.GlobalFlags = 0x1F;
    MapGlobalSettings(s, kWindowsXp, record);
    EXPECT_EQ(record.GlobalFlags, 0x1Au);

    s.PasswordLogonEnable = 1;
    record.GlobalFlags = 0x1F;
    MapGlobalSettings(s, kWindowsXp, record);
    EXPECT_EQ(record.GlobalFlags, 0x1Eu);

    record.GlobalFlags = 0xABCD1F00u | 0x13;
    MapGlobalSettings(s, kWindows2000, record);
    EXPECT_EQ(record.GlobalFlags, 0x16u);
}

TEST(GlobalMapping, CriticalAndLowAlarmsFillTheFirstTwoDischargeEntriesOnly) {
    const GLOBAL_USER_POWER_POLICY before = Pattern<GLOBAL_USER_POWER_POLICY>(9);
    GLOBAL_USER_POWER_POLICY record = before;
    MapGlobalSettings(SampleGlobal(), kWindowsXp, record);

    const SYSTEM_POWER_LEVEL& critical = record.DischargePolicy[0];
    EXPECT_EQ(critical.Enable, 1); // low byte of 0x101
    EXPECT_EQ(critical.BatteryLevel, 3u);
    EXPECT_EQ(Word(critical.PowerPolicy.Action), 3u);
    EXPECT_EQ(critical.PowerPolicy.EventCode, 3u);
    EXPECT_EQ(critical.PowerPolicy.Flags, before.DischargePolicy[0].PowerPolicy.Flags);
    EXPECT_EQ(critical.MinSystemState, before.DischargePolicy[0].MinSystemState);
    EXPECT_EQ(0, std::memcmp(critical.Spare, before.DischargePolicy[0].Spare, 3));

    const SYSTEM_POWER_LEVEL& low = record.DischargePolicy[1];
    EXPECT_EQ(low.Enable, 0);
    EXPECT_EQ(low.BatteryLevel, 10u);
    EXPECT_EQ(Word(low.PowerPolicy.Action), 0u);
    EXPECT_EQ(low.PowerPolicy.EventCode, 1u);
    EXPECT_EQ(low.PowerPolicy.Flags, before.DischargePolicy[1].PowerPolicy.Flags);
    EXPECT_EQ(low.MinSystemState, before.DischargePolicy[1].MinSystemState);

    EXPECT_EQ(0, std::memcmp(&record.DischargePolicy[2], &before.DischargePolicy[2],
                             2 * sizeof(SYSTEM_POWER_LEVEL)));
    EXPECT_EQ(record.Revision, before.Revision);
}

// ---------------------------------------------------------------------------------------------
// Processor policy

namespace {

// The flag word that holds the two allow bits, read as a whole.
std::uint32_t FlagWord(const PROCESSOR_POWER_POLICY_INFO& info) {
    std::uint32_t word = 0;
    std::memcpy(&word, reinterpret_cast<const BYTE*>(&info) + 16, sizeof word);
    return word;
}

void SetFlagWord(PROCESSOR_POWER_POLICY_INFO& info, std::uint32_t word) {
    std::memcpy(reinterpret_cast<BYTE*>(&info) + 16, &word, sizeof word);
}

struct StepRow {
    int demote;
    int promote;
    std::uint32_t allowBits; // bit 0 demotion, bit 1 promotion
};

} // namespace

TEST(ProcessorPolicy, FollowsTheStepTable) {
    MACHINE_PROCESSOR_POWER_POLICY record{};
    BuildProcessorPolicy(5, 9, record);
    EXPECT_EQ(record.Revision, 1u);

    const StepRow ac[3] = {{40, 50, 2}, {40, 60, 3}, {40, 80, 1}};
    const StepRow dc[3] = {{10, 20, 2}, {20, 40, 3}, {20, 70, 1}};
    const PROCESSOR_POWER_POLICY* halves[2] = {&record.ProcessorPolicyAc,
                                               &record.ProcessorPolicyDc};
    const StepRow* rows[2] = {ac, dc};
    const int throttle[2] = {5, 9};
    for (int h = 0; h < 2; ++h) {
        SCOPED_TRACE(h == 0 ? "AC" : "DC");
        const PROCESSOR_POWER_POLICY& half = *halves[h];
        EXPECT_EQ(half.Revision, 1u);
        EXPECT_EQ(half.DynamicThrottle, throttle[h]);
        EXPECT_EQ(half.PolicyCount, 3u);
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            const PROCESSOR_POWER_POLICY_INFO& info = half.Policy[i];
            EXPECT_EQ(info.TimeCheck, 100000u);
            EXPECT_EQ(info.DemoteLimit, 100000u);
            EXPECT_EQ(info.PromoteLimit, 100000u);
            EXPECT_EQ(info.DemotePercent, rows[h][i].demote);
            EXPECT_EQ(info.PromotePercent, rows[h][i].promote);
            EXPECT_EQ(FlagWord(info), rows[h][i].allowBits);
        }
    }
}

TEST(ProcessorPolicy, ChangesOnlyTheAllowBitsOfEachFlagWord) {
    MACHINE_PROCESSOR_POWER_POLICY record{};
    for (PROCESSOR_POWER_POLICY* half : {&record.ProcessorPolicyAc, &record.ProcessorPolicyDc}) {
        half->Spare[0] = 0x77;
        half->DisableCStates = 1;
        for (PROCESSOR_POWER_POLICY_INFO& info : half->Policy) {
            SetFlagWord(info, 0xFFFFFFFF);
            info.Spare[1] = 0x66;
        }
    }
    BuildProcessorPolicy(0, 0, record);
    const std::uint32_t expected[3] = {0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD};
    for (const PROCESSOR_POWER_POLICY* half :
         {&record.ProcessorPolicyAc, &record.ProcessorPolicyDc}) {
        EXPECT_EQ(half->Spare[0], 0x77);
        EXPECT_EQ(half->DisableCStates, 1u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(FlagWord(half->Policy[i]), expected[i]) << i;
            EXPECT_EQ(half->Policy[i].Spare[1], 0x66);
        }
    }
}
