// The emulator's powrprof.dll, loaded by name as the suite loads it, against the registry of
// the session's prefix (seeded by NotebookSetup.exe).
#include <algorithm>
#include <cwchar>

#include "EmulatorTestSupport.h"
#include "PowerSchemeLayout.h"
#include "framework/UniqueHandle.h"

using namespace emulator_test;
using namespace emulator::power;

namespace {

constexpr UINT kScheme = 40; // schemes 40..44 belong to these tests
constexpr UINT kOtherScheme = 41;
constexpr LONG kStatusSuccess = 0;
constexpr LONG kStatusInvalidParameter = static_cast<LONG>(0xC000000D);
constexpr LONG kStatusBufferTooSmall = static_cast<LONG>(0xC0000023);
constexpr LONG kStatusNotSupported = static_cast<LONG>(0xC00000BB);

struct PowerLibrary {
    framework::UniqueModule module{::LoadLibraryA("powrprof.dll")};

    template <typename Fn>
    Fn Get(const char* name) {
        auto fn = framework::ProcAddress<Fn>(module.Get(), name);
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }

    decltype(&::CallNtPowerInformation) CallNtPowerInformation =
        Get<decltype(&::CallNtPowerInformation)>("CallNtPowerInformation");
    decltype(&::CanUserWritePwrScheme) CanUserWritePwrScheme =
        Get<decltype(&::CanUserWritePwrScheme)>("CanUserWritePwrScheme");
    decltype(&::DeletePwrScheme) DeletePwrScheme =
        Get<decltype(&::DeletePwrScheme)>("DeletePwrScheme");
    BOOLEAN(WINAPI* EnumPwrSchemes)
    (WidePwrSchemesEnumProc,
     LPARAM) = Get<BOOLEAN(WINAPI*)(WidePwrSchemesEnumProc, LPARAM)>("EnumPwrSchemes");
    decltype(&::GetActivePwrScheme) GetActivePwrScheme =
        Get<decltype(&::GetActivePwrScheme)>("GetActivePwrScheme");
    decltype(&::GetCurrentPowerPolicies) GetCurrentPowerPolicies =
        Get<decltype(&::GetCurrentPowerPolicies)>("GetCurrentPowerPolicies");
    decltype(&::GetPwrCapabilities) GetPwrCapabilities =
        Get<decltype(&::GetPwrCapabilities)>("GetPwrCapabilities");
    decltype(&::GetPwrDiskSpindownRange) GetPwrDiskSpindownRange =
        Get<decltype(&::GetPwrDiskSpindownRange)>("GetPwrDiskSpindownRange");
    decltype(&::IsPwrHibernateAllowed) IsPwrHibernateAllowed =
        Get<decltype(&::IsPwrHibernateAllowed)>("IsPwrHibernateAllowed");
    decltype(&::ReadGlobalPwrPolicy) ReadGlobalPwrPolicy =
        Get<decltype(&::ReadGlobalPwrPolicy)>("ReadGlobalPwrPolicy");
    decltype(&::ReadProcessorPwrScheme) ReadProcessorPwrScheme =
        Get<decltype(&::ReadProcessorPwrScheme)>("ReadProcessorPwrScheme");
    decltype(&::ReadPwrScheme) ReadPwrScheme = Get<decltype(&::ReadPwrScheme)>("ReadPwrScheme");
    decltype(&::SetActivePwrScheme) SetActivePwrScheme =
        Get<decltype(&::SetActivePwrScheme)>("SetActivePwrScheme");
    decltype(&::SetSuspendState) SetSuspendState =
        Get<decltype(&::SetSuspendState)>("SetSuspendState");
    decltype(&::WriteGlobalPwrPolicy) WriteGlobalPwrPolicy =
        Get<decltype(&::WriteGlobalPwrPolicy)>("WriteGlobalPwrPolicy");
    decltype(&::WriteProcessorPwrScheme) WriteProcessorPwrScheme =
        Get<decltype(&::WriteProcessorPwrScheme)>("WriteProcessorPwrScheme");
    BOOLEAN(WINAPI* WritePwrScheme)
    (PUINT, LPWSTR, LPWSTR,
     PPOWER_POLICY) = Get<BOOLEAN(WINAPI*)(PUINT, LPWSTR, LPWSTR, PPOWER_POLICY)>("WritePwrScheme");
};

POWER_POLICY SamplePolicy(ULONG seed) {
    POWER_POLICY p{};
    p.user.Revision = 1;
    p.user.IdleAc.Action = PowerActionSleep;
    p.user.IdleTimeoutAc = 900 + seed;
    p.user.IdleTimeoutDc = 300 + seed;
    p.user.VideoTimeoutAc = 600 + seed;
    p.user.SpindownTimeoutDc = 180 + seed;
    p.user.MaxSleepAc = PowerSystemSleeping3;
    p.user.ForcedThrottleAc = 100;
    p.mach.Revision = 1;
    p.mach.DozeS4TimeoutAc = 2700 + seed;
    p.mach.MinThrottleAc = 25;
    return p;
}

MACHINE_PROCESSOR_POWER_POLICY SampleProcessorPolicy(BYTE throttle) {
    MACHINE_PROCESSOR_POWER_POLICY p{};
    p.Revision = 1;
    for (PROCESSOR_POWER_POLICY* half : {&p.ProcessorPolicyAc, &p.ProcessorPolicyDc}) {
        half->Revision = 1;
        half->DynamicThrottle = throttle;
        half->PolicyCount = 3;
        half->Policy[1].DemotePercent = 40;
        half->Policy[1].PromotePercent = 60;
        half->Policy[1].AllowDemotion = 1;
    }
    return p;
}

struct Listed {
    std::vector<UINT> ids;
    std::vector<std::wstring> names;
};

BOOLEAN CALLBACK Collect(UINT id, DWORD nameBytes, LPWSTR name, DWORD, LPWSTR, PPOWER_POLICY policy,
                         LPARAM context) {
    auto* out = reinterpret_cast<Listed*>(context);
    EXPECT_EQ(nameBytes, (std::wcslen(name) + 1) * sizeof(wchar_t));
    EXPECT_EQ(policy->user.Revision, 1u);
    out->ids.push_back(id);
    out->names.emplace_back(name);
    return TRUE;
}

BOOLEAN CALLBACK CountAndStop(UINT, DWORD, LPWSTR, DWORD, LPWSTR, PPOWER_POLICY, LPARAM context) {
    ++*reinterpret_cast<int*>(context);
    return FALSE;
}

void RemoveScheme(UINT id) {
    for (auto [root, base] : {std::pair{HKEY_CURRENT_USER, kUserSchemes},
                              std::pair{HKEY_LOCAL_MACHINE, kMachineSchemes},
                              std::pair{HKEY_LOCAL_MACHINE, kMachineProcessor}}) {
        ::RegDeleteKeyA(root, SchemeKey(base, id).c_str());
    }
}

class PowrProfTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMachineState();
        active_ = ReadValue(HKEY_CURRENT_USER, kUserPowerCfg, kCurrentPolicyValue);
        lastId_ = ReadValue(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kLastIdValue);
        userGlobal_ = ReadValue(HKEY_CURRENT_USER, kUserGlobal, kPoliciesValue);
        for (UINT id = kScheme; id < kScheme + 5; ++id) {
            RemoveScheme(id);
        }
        ASSERT_TRUE(api_.module);
    }

    void TearDown() override {
        Restore(HKEY_CURRENT_USER, kUserPowerCfg, kCurrentPolicyValue, active_);
        Restore(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kLastIdValue, lastId_);
        Restore(HKEY_CURRENT_USER, kUserGlobal, kPoliciesValue, userGlobal_);
        for (UINT id = kScheme; id < kScheme + 5; ++id) {
            RemoveScheme(id);
        }
        ResetMachineState();
    }

    static void Restore(HKEY root, const char* path, const char* name, const RawValue& value) {
        if (value.found) {
            PutValue(root, path, name, value.type, value.data.data(),
                     static_cast<DWORD>(value.data.size()));
        }
    }

    void WriteScheme(UINT id, ULONG seed = 0) {
        UINT target = id;
        POWER_POLICY policy = SamplePolicy(seed);
        wchar_t name[] = L"Test Scheme";
        wchar_t description[] = L"Written by a test";
        ASSERT_TRUE(api_.WritePwrScheme(&target, name, description, &policy));
    }

    PowerLibrary api_;
    RawValue active_;
    RawValue lastId_;
    RawValue userGlobal_;
};

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

TEST_F(PowrProfTest, WithoutWritePermissionNothingIsWritten) {
    WriteScheme(kOtherScheme);
    SetStateWord("CanUserWritePwrScheme", 0);

    EXPECT_FALSE(api_.CanUserWritePwrScheme());
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    UINT id = kScheme;
    POWER_POLICY policy = SamplePolicy(0);
    wchar_t name[] = L"Refused";
    EXPECT_FALSE(api_.WritePwrScheme(&id, name, name, &policy));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, kScheme)));
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, SchemeKey(kMachineSchemes, kScheme)));

    MACHINE_PROCESSOR_POWER_POLICY processor = SampleProcessorPolicy(PO_THROTTLE_NONE);
    EXPECT_FALSE(api_.WriteProcessorPwrScheme(kScheme, &processor));
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, SchemeKey(kMachineProcessor, kScheme)));

    GLOBAL_POWER_POLICY global{};
    ASSERT_TRUE(api_.ReadGlobalPwrPolicy(&global));
    EXPECT_FALSE(api_.WriteGlobalPwrPolicy(&global));
    EXPECT_FALSE(api_.DeletePwrScheme(kOtherScheme));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, kOtherScheme)));

    // Choosing among existing schemes is not writing one.
    EXPECT_TRUE(api_.SetActivePwrScheme(kOtherScheme, nullptr, nullptr));
}

TEST_F(PowrProfTest, DamagedRecordsAreRefusedAndLeaveTheOutputAlone) {
    WriteScheme(kScheme);
    const std::string user = SchemeKey(kUserSchemes, kScheme);
    const BYTE shortRecord[79] = {1};
    PutValue(HKEY_CURRENT_USER, user, "Policies", REG_BINARY, shortRecord, sizeof shortRecord);

    POWER_POLICY out;
    std::memset(&out, 0xAB, sizeof out);
    EXPECT_FALSE(api_.ReadPwrScheme(kScheme, &out));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(reinterpret_cast<const BYTE*>(&out)[0], 0xAB);
    EXPECT_FALSE(api_.SetActivePwrScheme(kScheme, nullptr, nullptr));

    PutText(HKEY_CURRENT_USER, user, "Policies", "not a record");
    EXPECT_FALSE(api_.ReadPwrScheme(kScheme, &out));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));

    // Enumeration passes over the damaged scheme and goes on.
    Listed listed;
    EXPECT_TRUE(api_.EnumPwrSchemes(Collect, reinterpret_cast<LPARAM>(&listed)));
    EXPECT_GE(listed.ids.size(), 6u);
    EXPECT_EQ(std::count(listed.ids.begin(), listed.ids.end(), kScheme), 0);

    const BYTE longProcessor[157] = {1};
    PutValue(HKEY_LOCAL_MACHINE, SchemeKey(kMachineProcessor, kScheme), "Policies", REG_BINARY,
             longProcessor, sizeof longProcessor);
    MACHINE_PROCESSOR_POWER_POLICY processor{};
    EXPECT_FALSE(api_.ReadProcessorPwrScheme(kScheme, &processor));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));

    PutText(HKEY_CURRENT_USER, kUserPowerCfg, kCurrentPolicyValue, "one");
    UINT active = 77;
    EXPECT_FALSE(api_.GetActivePwrScheme(&active));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(active, 77u);

    const BYTE shortGlobal[16] = {1};
    PutValue(HKEY_CURRENT_USER, kUserGlobal, "Policies", REG_BINARY, shortGlobal,
             sizeof shortGlobal);
    GLOBAL_POWER_POLICY global{};
    EXPECT_FALSE(api_.ReadGlobalPwrPolicy(&global));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
}

TEST_F(PowrProfTest, NullPointersAndWrongRevisionsFailCleanly) {
    auto expectInvalid = [](BOOLEAN result) {
        EXPECT_FALSE(result);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    };
    POWER_POLICY policy = SamplePolicy(0);
    UINT id = kScheme;
    UINT value = 0;
    expectInvalid(api_.ReadPwrScheme(1, nullptr));
    expectInvalid(api_.WritePwrScheme(nullptr, nullptr, nullptr, &policy));
    expectInvalid(api_.WritePwrScheme(&id, nullptr, nullptr, nullptr));
    expectInvalid(api_.GetActivePwrScheme(nullptr));
    expectInvalid(api_.GetPwrCapabilities(nullptr));
    expectInvalid(api_.ReadGlobalPwrPolicy(nullptr));
    expectInvalid(api_.WriteGlobalPwrPolicy(nullptr));
    expectInvalid(api_.ReadProcessorPwrScheme(1, nullptr));
    expectInvalid(api_.WriteProcessorPwrScheme(kScheme, nullptr));
    expectInvalid(api_.GetCurrentPowerPolicies(nullptr, &policy));
    expectInvalid(api_.GetPwrDiskSpindownRange(&value, nullptr));
    expectInvalid(api_.EnumPwrSchemes(nullptr, 0));
    EXPECT_EQ(api_.CallNtPowerInformation(SystemReserveHiberFile, nullptr, 0, nullptr, 0),
              kStatusInvalidParameter);
    EXPECT_EQ(api_.CallNtPowerInformation(SystemPowerCapabilities, nullptr, 0, nullptr, 0),
              kStatusInvalidParameter);

    policy.user.Revision = 2;
    EXPECT_FALSE(api_.WritePwrScheme(&id, nullptr, nullptr, &policy));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_REVISION_MISMATCH));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, kScheme)));
}

TEST_F(PowrProfTest, UnterminatedNameEndingAtUnreadableMemoryIsRefused) {
    SYSTEM_INFO info{};
    ::GetSystemInfo(&info);
    const DWORD page = info.dwPageSize;
    // One readable page full of text and no terminator, followed by an inaccessible page.
    auto* base = static_cast<BYTE*>(
        ::VirtualAlloc(nullptr, page * 2, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(base, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(::VirtualProtect(base + page, page, PAGE_NOACCESS, &old));
    std::memset(base + page - 64, 'A', 64);
    auto* name = reinterpret_cast<wchar_t*>(base + page - 64);

    UINT id = kScheme;
    POWER_POLICY policy = SamplePolicy(0);
    EXPECT_FALSE(api_.WritePwrScheme(&id, name, nullptr, &policy));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, SchemeKey(kUserSchemes, kScheme)));
    ::VirtualFree(base, 0, MEM_RELEASE);
}

TEST_F(PowrProfTest, CapabilitiesFollowTheMachineState) {
    SYSTEM_POWER_CAPABILITIES caps{};
    ASSERT_TRUE(api_.GetPwrCapabilities(&caps));
    EXPECT_TRUE(caps.SystemS3);
    EXPECT_TRUE(caps.SystemS4);
    EXPECT_TRUE(caps.SystemS5);
    EXPECT_TRUE(caps.LidPresent);
    EXPECT_TRUE(caps.SleepButtonPresent);
    EXPECT_TRUE(caps.HiberFilePresent);
    EXPECT_TRUE(api_.IsPwrHibernateAllowed());

    SetStateWord("CapS4", 0);
    SetStateWord("CapLid", 0);
    SetStateWord("CapSleepButton", 0);
    SetStateWord("CapS1", 1);
    ASSERT_TRUE(api_.GetPwrCapabilities(&caps));
    EXPECT_FALSE(caps.SystemS4);
    EXPECT_FALSE(caps.LidPresent);
    EXPECT_FALSE(caps.SleepButtonPresent);
    EXPECT_TRUE(caps.SystemS1);
    EXPECT_FALSE(api_.IsPwrHibernateAllowed());

    SYSTEM_POWER_CAPABILITIES viaLevel{};
    EXPECT_EQ(api_.CallNtPowerInformation(SystemPowerCapabilities, nullptr, 0, &viaLevel,
                                          sizeof viaLevel),
              kStatusSuccess);
    EXPECT_EQ(std::memcmp(&viaLevel, &caps, sizeof caps), 0);
    EXPECT_EQ(api_.CallNtPowerInformation(SystemPowerCapabilities, nullptr, 0, &viaLevel,
                                          sizeof viaLevel - 1),
              kStatusBufferTooSmall);
    EXPECT_EQ(
        api_.CallNtPowerInformation(SystemBatteryState, nullptr, 0, &viaLevel, sizeof viaLevel),
        kStatusInvalidParameter);

    // A damaged value reads as its default.
    const char text[] = "yes";
    PutValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "CapS4", REG_BINARY, text, sizeof text);
    ASSERT_TRUE(api_.GetPwrCapabilities(&caps));
    EXPECT_TRUE(caps.SystemS4);
}

TEST_F(PowrProfTest, ReservingTheHibernationFileRecordsItsState) {
    JournalWatch journal;
    BOOLEAN reserve = FALSE;
    EXPECT_EQ(
        api_.CallNtPowerInformation(SystemReserveHiberFile, &reserve, sizeof reserve, nullptr, 0),
        kStatusSuccess);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "HiberFile").Word(), 0u);
    EXPECT_FALSE(api_.IsPwrHibernateAllowed());
    SYSTEM_POWER_CAPABILITIES caps{};
    ASSERT_TRUE(api_.GetPwrCapabilities(&caps));
    EXPECT_FALSE(caps.HiberFilePresent);

    reserve = TRUE;
    EXPECT_EQ(
        api_.CallNtPowerInformation(SystemReserveHiberFile, &reserve, sizeof reserve, nullptr, 0),
        kStatusSuccess);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "HiberFile").Word(), 1u);
    EXPECT_TRUE(api_.IsPwrHibernateAllowed());

    const auto entries = journal.Entries("powrprof", "CallNtPowerInformation");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(emulator::FindArgument(entries[0].arguments, "reserve"), "0");
    EXPECT_EQ(emulator::FindArgument(entries[1].arguments, "level"), "10");
    EXPECT_EQ(entries[1].result, "0x00000000");

    // A machine without S4 cannot get a hibernation file.
    SetStateWord("HiberFile", 0);
    SetStateWord("CapS4", 0);
    EXPECT_EQ(
        api_.CallNtPowerInformation(SystemReserveHiberFile, &reserve, sizeof reserve, nullptr, 0),
        kStatusNotSupported);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "HiberFile").Word(), 0u);
}

TEST_F(PowrProfTest, SuspendIsJournalledNotPerformed) {
    JournalWatch journal;
    EXPECT_TRUE(api_.SetSuspendState(FALSE, FALSE, FALSE));
    EXPECT_TRUE(api_.SetSuspendState(TRUE, TRUE, FALSE));
    const auto entries = journal.Entries("powrprof", "SetSuspendState");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].arguments, "hibernate=0 force=0 disable_wake=0");
    EXPECT_EQ(entries[1].arguments, "hibernate=1 force=1 disable_wake=0");
    EXPECT_EQ(entries[1].result, "TRUE");

    SetStateWord("HiberFile", 0);
    EXPECT_FALSE(api_.SetSuspendState(TRUE, FALSE, FALSE));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

} // namespace
