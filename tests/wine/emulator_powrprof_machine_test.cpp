// The emulator's powrprof.dll: what it refuses (writes without permission, damaged records, bad
// pointers, wrong revisions) and what it says and does about the machine (capabilities, the
// hibernation file, suspend).
#include <algorithm>

#include "PowrProfTest.h"

using namespace powrprof_test;

namespace {

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
