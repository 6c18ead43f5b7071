// The emulator's powrprof.dll, loaded by name as the suite loads it, against the registry of
// the session's prefix (seeded by NotebookSetup.exe): the seeded schemes, writing, reading,
// activating and deleting them.
#include "PowrProfTest.h"

using namespace powrprof_test;

namespace {

TEST_F(PowrProfTest, TheLibraryLoadedByNameIsTheEmulatorsAndJournalsItsCalls) {
    char path[MAX_PATH] = {};
    ASSERT_NE(::GetModuleFileNameA(api_.module.Get(), path, MAX_PATH), 0u);
    EXPECT_NE(std::string(path).find("system32"), std::string::npos) << path;

    JournalWatch journal;
    EXPECT_TRUE(api_.CanUserWritePwrScheme());
    const auto entry = journal.Last("powrprof", "CanUserWritePwrScheme");
    EXPECT_EQ(entry.result, "TRUE");
    EXPECT_EQ(entry.process, ::GetCurrentProcessId());
}

// Below Vista the scheme functions of later systems are not there for the caller, and the
// Windows scheme layout is not made.
TEST_F(PowrProfTest, VistaSchemeFunctionsAreUnavailableOnXp) {
    using Enumerate = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, int, ULONG, UCHAR*, DWORD*);
    using GetActive = DWORD(WINAPI*)(HKEY, GUID**);
    const auto enumerate = api_.Get<Enumerate>("PowerEnumerate");
    const auto getActive = api_.Get<GetActive>("PowerGetActiveScheme");
    GUID guid{};
    DWORD size = sizeof guid;
    EXPECT_EQ(enumerate(nullptr, nullptr, nullptr, 16, 0, reinterpret_cast<UCHAR*>(&guid), &size),
              static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    GUID* active = nullptr;
    JournalWatch journal;
    EXPECT_EQ(getActive(nullptr, &active), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    EXPECT_EQ(active, nullptr);
    EXPECT_EQ(journal.Last("powrprof", "PowerGetActiveScheme").result, "120");
    EXPECT_TRUE(journal.Entries("emulator", "SeedVistaSchemes").empty());
}

TEST_F(PowrProfTest, FreshPrefixHasTheSeededSchemesAndRanges) {
    Listed listed;
    ASSERT_TRUE(api_.EnumPwrSchemes(Collect, reinterpret_cast<LPARAM>(&listed)));
    ASSERT_GE(listed.ids.size(), 6u);
    for (UINT id = 0; id < 6; ++id) {
        EXPECT_EQ(listed.ids[id], id);
        EXPECT_FALSE(listed.names[id].empty());
    }
    EXPECT_EQ(listed.names[1], L"Notebook");

    UINT maxSpin = 0;
    UINT minSpin = 0;
    ASSERT_TRUE(api_.GetPwrDiskSpindownRange(&maxSpin, &minSpin));
    EXPECT_EQ(maxSpin, 3600u);
    EXPECT_EQ(minSpin, 3u);

    GLOBAL_POWER_POLICY global{};
    ASSERT_TRUE(api_.ReadGlobalPwrPolicy(&global));
    EXPECT_EQ(global.user.Revision, 1u);
    EXPECT_EQ(global.mach.Revision, 1u);
    EXPECT_EQ(global.user.DischargePolicy[DISCHARGE_POLICY_CRITICAL].BatteryLevel, 3u);

    MACHINE_PROCESSOR_POWER_POLICY processor{};
    EXPECT_TRUE(api_.ReadProcessorPwrScheme(5, &processor));
    EXPECT_EQ(processor.ProcessorPolicyDc.PolicyCount, 3u);
}

TEST_F(PowrProfTest, EnumerationStopsWhenTheCallbackSaysSo) {
    int calls = 0;
    EXPECT_TRUE(api_.EnumPwrSchemes(CountAndStop, reinterpret_cast<LPARAM>(&calls)));
    EXPECT_EQ(calls, 1);
}

TEST_F(PowrProfTest, WrittenSchemeReadsBackFromBothHives) {
    JournalWatch journal;
    UINT id = kScheme;
    POWER_POLICY written = SamplePolicy(7);
    wchar_t name[] = L"Power Management";
    wchar_t description[] = L"Sch\u00e9ma";
    ASSERT_TRUE(api_.WritePwrScheme(&id, name, description, &written));
    EXPECT_EQ(id, kScheme);

    POWER_POLICY read{};
    ASSERT_TRUE(api_.ReadPwrScheme(kScheme, &read));
    EXPECT_EQ(std::memcmp(&read, &written, sizeof read), 0);

    const RawValue user =
        ReadValue(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, kScheme), "Policies");
    EXPECT_EQ(user.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(user.data.size(), 80u);
    const RawValue machine =
        ReadValue(HKEY_LOCAL_MACHINE, SchemeKey(kMachineSchemes, kScheme), "Policies");
    EXPECT_EQ(machine.data.size(), 64u);
    const RawValue storedName =
        ReadValue(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, kScheme), "Name");
    EXPECT_EQ(storedName.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(storedName.Text(), "Power Management");

    const auto entry = journal.Last("powrprof", "WritePwrScheme");
    EXPECT_EQ(emulator::FindArgument(entry.arguments, "name"), "Power Management");
    EXPECT_EQ(emulator::FindArgument(entry.arguments, "description"), "Sch\xc3\xa9ma");
    EXPECT_EQ(entry.result, "TRUE id=40");
}

TEST_F(PowrProfTest, NewSchemeTakesTheNumberAfterLastId) {
    PutText(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kLastIdValue, "41");
    UINT id = NEWSCHEME;
    POWER_POLICY policy = SamplePolicy(0);
    ASSERT_TRUE(api_.WritePwrScheme(&id, nullptr, nullptr, &policy));
    EXPECT_EQ(id, 42u);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kLastIdValue).Text(), "42");
}

TEST_F(PowrProfTest, ProcessorSchemeRoundTrip) {
    MACHINE_PROCESSOR_POWER_POLICY written = SampleProcessorPolicy(PO_THROTTLE_ADAPTIVE);
    ASSERT_TRUE(api_.WriteProcessorPwrScheme(kScheme, &written));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, SchemeKey(kMachineProcessor, kScheme), "Policies")
                  .data.size(),
              156u);
    MACHINE_PROCESSOR_POWER_POLICY read{};
    ASSERT_TRUE(api_.ReadProcessorPwrScheme(kScheme, &read));
    EXPECT_EQ(std::memcmp(&read, &written, sizeof read), 0);

    EXPECT_FALSE(api_.ReadProcessorPwrScheme(kOtherScheme, &read));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(PowrProfTest, GlobalPolicyRoundTrip) {
    GLOBAL_POWER_POLICY global{};
    ASSERT_TRUE(api_.ReadGlobalPwrPolicy(&global));
    global.user.GlobalFlags = 0x1A;
    global.user.LidCloseDc.Action = PowerActionHibernate;
    ASSERT_TRUE(api_.WriteGlobalPwrPolicy(&global));
    GLOBAL_POWER_POLICY read{};
    ASSERT_TRUE(api_.ReadGlobalPwrPolicy(&read));
    EXPECT_EQ(std::memcmp(&read, &global, sizeof read), 0);
}

TEST_F(PowrProfTest, ActivationRecordsTheSchemeAndIsJournalled) {
    WriteScheme(kScheme, 3);
    JournalWatch journal;
    ASSERT_TRUE(api_.SetActivePwrScheme(kScheme, nullptr, nullptr));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUserPowerCfg, kCurrentPolicyValue).Text(), "40");
    UINT active = 0;
    ASSERT_TRUE(api_.GetActivePwrScheme(&active));
    EXPECT_EQ(active, kScheme);

    const auto entry = journal.Last("powrprof", "SetActivePwrScheme");
    EXPECT_EQ(entry.arguments, "id=40 global=null policy=null");
    EXPECT_EQ(entry.result.rfind("TRUE ", 0), 0u) << entry.result;
    EXPECT_EQ(emulator::FindArgument(entry.result.substr(5), "standby"), "903/303");

    GLOBAL_POWER_POLICY global{};
    POWER_POLICY current{};
    ASSERT_TRUE(api_.GetCurrentPowerPolicies(&global, &current));
    EXPECT_EQ(current.user.IdleTimeoutAc, 903u);
}

TEST_F(PowrProfTest, ActivatingAMissingSchemeChangesNothing) {
    const std::string before =
        ReadValue(HKEY_CURRENT_USER, kUserPowerCfg, kCurrentPolicyValue).Text();
    EXPECT_FALSE(api_.SetActivePwrScheme(kOtherScheme, nullptr, nullptr));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kUserPowerCfg, kCurrentPolicyValue).Text(), before);
}

TEST_F(PowrProfTest, DeleteRefusesTheActiveSchemeAndRemovesOthersCompletely) {
    WriteScheme(kScheme);
    MACHINE_PROCESSOR_POWER_POLICY processor = SampleProcessorPolicy(PO_THROTTLE_NONE);
    ASSERT_TRUE(api_.WriteProcessorPwrScheme(kScheme, &processor));
    ASSERT_TRUE(api_.SetActivePwrScheme(kScheme, nullptr, nullptr));

    EXPECT_FALSE(api_.DeletePwrScheme(kScheme));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, kScheme)));

    ASSERT_TRUE(api_.SetActivePwrScheme(1, nullptr, nullptr));
    EXPECT_TRUE(api_.DeletePwrScheme(kScheme));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, kScheme)));
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, SchemeKey(kMachineSchemes, kScheme)));
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, SchemeKey(kMachineProcessor, kScheme)));

    EXPECT_FALSE(api_.DeletePwrScheme(kScheme));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

} // namespace
