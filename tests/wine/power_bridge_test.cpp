// The Windows power-policy bridge: the power library binding, and reading, mapping and writing
// the policy records against the real registry of the test prefix.
#include "PowerBridgeTest.h"

using namespace bridge_test;

namespace {

PartialCallLog& PartialLogOf() {
    HMODULE module = GetModuleHandleA(kPartialPowerLibrary);
    auto fn = framework::ProcAddress<PartialLogFn>(module, "PartialLog");
    if (fn == nullptr) {
        ADD_FAILURE() << "the stand-in library is not loaded";
        static PartialCallLog none;
        return none;
    }
    return *fn();
}

// Calls every forwarder whose entry point the stand-in lacks; all must fail.
void ExpectMissingForwardersFail(PowerApi& api) {
    UINT scheme = 0;
    POWER_POLICY policy{};
    GLOBAL_POWER_POLICY global{};
    SYSTEM_POWER_CAPABILITIES caps{};
    MACHINE_PROCESSOR_POWER_POLICY processor{};
    wchar_t name[] = L"x";
    EXPECT_FALSE(api.GetActivePwrScheme(&scheme));
    EXPECT_FALSE(api.WritePwrScheme(&scheme, name, name, &policy));
    EXPECT_FALSE(api.GetPwrCapabilities(&caps));
    EXPECT_FALSE(api.WriteProcessorPwrScheme(1, &processor));
    EXPECT_FALSE(api.DeletePwrScheme(1));
    EXPECT_FALSE(api.GetCurrentPowerPolicies(&global, &policy));
    EXPECT_FALSE(api.SetSuspendState(FALSE, FALSE, FALSE));
}

} // namespace

TEST(PowerLibrary, MissingLibraryFailsEveryForwarder) {
    PowerApi api(kMissingLibrary);
    EXPECT_FALSE(api.Loaded());
    for (int e = 0; e < static_cast<int>(PowerEntry::Count); ++e) {
        EXPECT_FALSE(api.Has(static_cast<PowerEntry>(e))) << e;
    }
    ExpectMissingForwardersFail(api);
    MACHINE_PROCESSOR_POWER_POLICY processor{};
    EXPECT_FALSE(api.SetActivePwrScheme(1, nullptr, nullptr));
    EXPECT_FALSE(api.ReadProcessorPwrScheme(1, &processor));
    EXPECT_FALSE(api.IsPwrHibernateAllowed());
    EXPECT_FALSE(api.CanUserWritePwrScheme());
    BYTE one = 1;
    EXPECT_EQ(api.CallNtPowerInformation(SystemReserveHiberFile, &one, 1, nullptr, 0),
              kStatusNotImplemented);
    EXPECT_EQ(ReserveHibernationFile(api, 1), kStatusNotImplemented);
}

TEST(PowerLibrary, PartialLibraryBindsWhatItHasAndCallsNothingForTheRest) {
    PowerApi api(kPartialPowerLibrary);
    ASSERT_TRUE(api.Loaded());
    EXPECT_TRUE(api.Has(PowerEntry::CallNtPowerInformation));
    EXPECT_TRUE(api.Has(PowerEntry::ReadGlobalPwrPolicy));
    EXPECT_TRUE(api.Has(PowerEntry::SetActivePwrScheme));
    EXPECT_TRUE(api.Has(PowerEntry::ReadProcessorPwrScheme));
    EXPECT_TRUE(api.Has(PowerEntry::IsPwrHibernateAllowed));
    EXPECT_TRUE(api.Has(PowerEntry::CanUserWritePwrScheme));
    EXPECT_FALSE(api.Has(PowerEntry::GetActivePwrScheme));
    EXPECT_FALSE(api.Has(PowerEntry::WritePwrScheme));
    EXPECT_FALSE(api.Has(PowerEntry::SetSuspendState));
    EXPECT_FALSE(api.Has(PowerEntry::Count));

    PartialCallLog& log = PartialLogOf();
    const int callsBefore = log.calls;
    ExpectMissingForwardersFail(api);
    EXPECT_EQ(log.calls, callsBefore);
}

TEST(PowerLibrary, ForwardersPassArgumentsAndResultsThrough) {
    PowerApi api(kPartialPowerLibrary);
    ASSERT_TRUE(api.Loaded());
    PartialCallLog& log = PartialLogOf();

    GLOBAL_POWER_POLICY global{};
    POWER_POLICY policy{};
    EXPECT_TRUE(api.SetActivePwrScheme(42, &global, &policy));
    EXPECT_STREQ(log.lastEntry, "SetActivePwrScheme");
    EXPECT_EQ(log.scheme, 42u);
    EXPECT_EQ(log.first, &global);
    EXPECT_EQ(log.second, &policy);

    MACHINE_PROCESSOR_POWER_POLICY processor{};
    EXPECT_FALSE(api.ReadProcessorPwrScheme(7, &processor));
    EXPECT_STREQ(log.lastEntry, "ReadProcessorPwrScheme");
    EXPECT_EQ(log.scheme, 7u);
    EXPECT_EQ(log.first, &processor);

    // Only the low byte of the register is the answer: 0x100 is false, 0xFF01 true.
    EXPECT_FALSE(api.IsPwrHibernateAllowed());
    EXPECT_STREQ(log.lastEntry, "IsPwrHibernateAllowed");
    EXPECT_TRUE(api.CanUserWritePwrScheme());

    BYTE input = 0;
    char output[4];
    EXPECT_EQ(api.CallNtPowerInformation(AdministratorPowerPolicy, &input, 1, output, 4),
              kPartialStatus);
    EXPECT_EQ(log.level, static_cast<int>(AdministratorPowerPolicy));
    EXPECT_EQ(log.second, static_cast<void*>(output));
    EXPECT_EQ(log.outputSize, 4u);
}

TEST(PowerLibrary, ReservingTheHibernationFileSendsOneByteAtLevelTen) {
    PowerApi api(kPartialPowerLibrary);
    ASSERT_TRUE(api.Loaded());
    PartialCallLog& log = PartialLogOf();

    EXPECT_EQ(ReserveHibernationFile(api, 0x301), kPartialStatus);
    EXPECT_STREQ(log.lastEntry, "CallNtPowerInformation");
    EXPECT_EQ(log.level, 10);
    EXPECT_EQ(log.inputSize, 1u);
    EXPECT_EQ(log.inputByte, 1); // the low byte of the setting
    EXPECT_EQ(log.second, nullptr);
    EXPECT_EQ(log.outputSize, 0u);

    ReserveHibernationFile(api, 0x100);
    EXPECT_EQ(log.inputByte, 0);
}

TEST(PowerLibrary, ReleasesTheLibraryWhenDone) {
    ASSERT_EQ(GetModuleHandleA(kPartialPowerLibrary), nullptr);
    {
        PowerApi api(kPartialPowerLibrary);
        EXPECT_NE(GetModuleHandleA(kPartialPowerLibrary), nullptr);
    }
    EXPECT_EQ(GetModuleHandleA(kPartialPowerLibrary), nullptr);
}

TEST(PowerLibrary, BindsTheSystemLibraryByDefault) {
    // Whichever power library the prefix provides, the default binds that one by name.
    HMODULE system = LoadLibraryA("powrprof.dll");
    {
        PowerApi api;
        EXPECT_EQ(api.Loaded(), system != nullptr);
    }
    if (system != nullptr) {
        FreeLibrary(system);
    }
}

TEST(WindowsVersion, TestPrefixRunsAsWindowsXp) {
    EXPECT_EQ(WindowsVersionClass(), kWindowsXp);
}

// ---------------------------------------------------------------------------------------------
// Read, map, write against the registry

namespace {

class Apply : public ::testing::Test {
protected:
    void SetUp() override {
        for (auto& g : guards_) {
            g->Remove();
        }
    }
    void TearDown() override {
        for (auto& g : guards_) {
            g->Restore();
        }
    }

    std::unique_ptr<KeyGuard> guards_[4] = {
        std::make_unique<KeyGuard>(HKEY_CURRENT_USER, kGlobalUserPolicyPath),
        std::make_unique<KeyGuard>(HKEY_CURRENT_USER, UserPolicyPath(kScheme)),
        std::make_unique<KeyGuard>(HKEY_LOCAL_MACHINE, MachinePolicyPath(kScheme)),
        std::make_unique<KeyGuard>(HKEY_LOCAL_MACHINE, ProcessorPolicyPath(kScheme)),
    };
};

template <typename Record>
Record Stored(HKEY root, const std::string& path) {
    Record record{};
    const RawValue v = ReadRaw(root, path);
    EXPECT_EQ(v.data.size(), sizeof record);
    std::memcpy(&record, v.data.data(), std::min(v.data.size(), sizeof record));
    return record;
}

} // namespace

TEST_F(Apply, GlobalSettingsRunSideEffectsBetweenReadAndWrite) {
    GLOBAL_USER_POWER_POLICY old = Pattern<GLOBAL_USER_POWER_POLICY>(5);
    old.GlobalFlags = 0x1F;
    WriteRaw(HKEY_CURRENT_USER, kGlobalUserPolicyPath, REG_BINARY, &old, sizeof old);

    int sideEffects = 0;
    const bool found = ApplyGlobalSettings(SampleGlobal(), kWindowsXp, [&] {
        ++sideEffects;
        // Nothing has been written yet.
        EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kGlobalUserPolicyPath).data, Bytes(old));
    });
    EXPECT_TRUE(found);
    EXPECT_EQ(sideEffects, 1);

    GLOBAL_USER_POWER_POLICY expected = old;
    MapGlobalSettings(SampleGlobal(), kWindowsXp, expected);
    const auto stored = Stored<GLOBAL_USER_POWER_POLICY>(HKEY_CURRENT_USER, kGlobalUserPolicyPath);
    EXPECT_EQ(Bytes(stored), Bytes(expected));
    EXPECT_EQ(stored.GlobalFlags, 0x1Au);
    EXPECT_EQ(stored.PowerButtonAc.EventCode, 0x10u);
}

TEST_F(Apply, GlobalSettingsWithoutTheKeyWriteNothing) {
    int sideEffects = 0;
    EXPECT_FALSE(ApplyGlobalSettings(SampleGlobal(), kWindowsXp, [&] { ++sideEffects; }));
    EXPECT_EQ(sideEffects, 1);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kGlobalUserPolicyPath));
}

TEST_F(Apply, ModeWritesBothRecordsAfterTheHardwareStep) {
    const USER_POWER_POLICY oldUser = Pattern<USER_POWER_POLICY>(1);
    const MACHINE_POWER_POLICY oldMachine = Pattern<MACHINE_POWER_POLICY>(2);
    WriteRaw(HKEY_CURRENT_USER, UserPolicyPath(kScheme), REG_BINARY, &oldUser, sizeof oldUser);
    WriteRaw(HKEY_LOCAL_MACHINE, MachinePolicyPath(kScheme), REG_BINARY, &oldMachine,
             sizeof oldMachine);

    PowerSaveMode mode = ModeWith(11, 7);
    mode.Standby[3] = 1; // the fourth column never stands by
    int hardwareColumn = -2;
    EXPECT_TRUE(ApplyMode(mode, 3, kScheme, [&](int c) {
        hardwareColumn = c;
        EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, UserPolicyPath(kScheme)).data, Bytes(oldUser));
    }));
    EXPECT_EQ(hardwareColumn, 3);

    USER_POWER_POLICY user = oldUser;
    MACHINE_POWER_POLICY machine = oldMachine;
    MapModeColumn(mode, 3, user, machine);
    EXPECT_EQ(Bytes(Stored<USER_POWER_POLICY>(HKEY_CURRENT_USER, UserPolicyPath(kScheme))),
              Bytes(user));
    EXPECT_EQ(Bytes(Stored<MACHINE_POWER_POLICY>(HKEY_LOCAL_MACHINE, MachinePolicyPath(kScheme))),
              Bytes(machine));
    EXPECT_EQ(Word(user.IdleAc.Action), static_cast<std::uint32_t>(kActionHibernate));
    EXPECT_EQ(user.IdleTimeoutDc, 3600u);
}

TEST_F(Apply, UnknownBatteryColumnAppliesColumnZero) {
    CreateKey(HKEY_CURRENT_USER, UserPolicyPath(kScheme));
    CreateKey(HKEY_LOCAL_MACHINE, MachinePolicyPath(kScheme));
    PowerSaveMode mode = ModeWith(11, 7);
    mode.Standby[0] = 16; // 60 s
    int hardwareColumn = -2;
    EXPECT_TRUE(ApplyMode(mode, -1, kScheme, [&](int c) { hardwareColumn = c; }));
    EXPECT_EQ(hardwareColumn, 0);
    EXPECT_EQ(Stored<USER_POWER_POLICY>(HKEY_CURRENT_USER, UserPolicyPath(kScheme)).IdleTimeoutAc,
              60u);
}

TEST_F(Apply, ModeForASchemeWithoutKeysCreatesNothing) {
    EXPECT_FALSE(ApplyMode(ModeWith(11, 7), 0, kScheme));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserPolicyPath(kScheme)));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, MachinePolicyPath(kScheme)));
    EXPECT_FALSE(ApplyMode(ModeWith(11, 7), 0, -1));
}

TEST_F(Apply, ProcessorPolicyIsWrittenThenReadBackThroughTheLibrary) {
    CreateKey(HKEY_LOCAL_MACHINE, ProcessorPolicyPath(kScheme));
    PowerApi api(kPartialPowerLibrary);
    ASSERT_TRUE(api.Loaded());
    PartialCallLog& log = PartialLogOf();

    EXPECT_TRUE(WriteProcessorPolicy(api, kScheme, 4));
    MACHINE_PROCESSOR_POWER_POLICY expected{};
    BuildProcessorPolicy(4, 4, expected);
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, ProcessorPolicyPath(kScheme)).data, Bytes(expected));
    EXPECT_STREQ(log.lastEntry, "ReadProcessorPwrScheme");
    EXPECT_EQ(log.scheme, static_cast<UINT>(kScheme));
}

TEST_F(Apply, ProcessorPolicyWithoutKeyOrLibraryFailsQuietly) {
    PowerApi missing(kMissingLibrary);
    EXPECT_FALSE(WriteProcessorPolicy(missing, kScheme, 4));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ProcessorPolicyPath(kScheme)));

    CreateKey(HKEY_LOCAL_MACHINE, ProcessorPolicyPath(kScheme));
    EXPECT_TRUE(WriteProcessorPolicy(missing, kScheme, 4));
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, ProcessorPolicyPath(kScheme)).data.size(), 156u);
}
