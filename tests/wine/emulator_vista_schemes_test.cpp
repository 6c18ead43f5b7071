// The Vista scheme functions of the emulator's powrprof.dll as a Windows 10 program sees them:
// the stock schemes seeded where Windows keeps them, names and their buffer rules, the active
// scheme, access checks, and what damaged or changing registry data does to them.
#include "VistaPowerTest.h"

using namespace emulator_test;

namespace {

using VistaSchemesTest = VistaPowerTest;

TEST_F(VistaSchemesTest, FirstUseSeedsTheStockSchemesWhereWindowsKeepsThem) {
    JournalWatch journal;
    const std::vector<GUID> schemes = Enumerate();
    ASSERT_EQ(schemes.size(), 3u);
    EXPECT_TRUE(SameGuid(schemes[0], kBalanced));
    EXPECT_TRUE(SameGuid(schemes[1], kHighPerformance));
    EXPECT_TRUE(SameGuid(schemes[2], kPowerSaver));
    EXPECT_EQ(Name(kBalanced), L"Balanced");
    EXPECT_EQ(Name(kHighPerformance), L"High performance");
    EXPECT_EQ(Name(kPowerSaver), L"Power saver");
    EXPECT_TRUE(SameGuid(Active(), kBalanced));

    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kPowerSchemes, "ActivePowerScheme").Text(),
              kBalancedKey);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, SchemeKey(kPowerSaver), "FriendlyName").Text(),
              "Power saver");
    const std::string defaults = std::string(kPowerSettings) + "\\" + KeyName(kVideo) + "\\" +
                                 KeyName(kVideoTimeout) + "\\DefaultPowerSchemeValues\\" +
                                 kBalancedKey;
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, defaults, "ACSettingIndex").Word(), 600u);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, defaults, "DCSettingIndex").Word(), 300u);
    DWORD value = 0;
    EXPECT_EQ(ReadAc(kBalanced, kVideo, kVideoTimeout, value), ERROR_SUCCESS);
    EXPECT_EQ(value, 600u);

    EXPECT_EQ(journal.Entries("emulator", "SeedVistaSchemes").size(), 1u);
    const auto calls = journal.Entries("powrprof", "PowerEnumerate");
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].arguments,
              "root=null scheme=null subgroup=null access=16 index=0 buffer=set size=16");
    EXPECT_EQ(calls[0].result, "0 size=16 guid={381b4222-f694-41f0-9685-ff5bb260df2e}");
    EXPECT_EQ(calls[3].result, std::to_string(ERROR_NO_MORE_ITEMS));
    EXPECT_EQ(journal.Last("powrprof", "PowerReadFriendlyName").result,
              "0 size=24 name=\"Power saver\"");

    // A list a person changed is theirs: the seed does not come back.
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, SchemeKey(kPowerSaver).c_str());
    EXPECT_EQ(Enumerate().size(), 2u);
}

TEST_F(VistaSchemesTest, BufferSizesFollowTheSystemsProtocol) {
    DWORD size = 0;
    EXPECT_EQ(power_.Enumerate(nullptr, nullptr, nullptr, ACCESS_SCHEME, 0, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof(GUID));
    GUID guid = kUnknown;
    size = 8;
    EXPECT_EQ(power_.Enumerate(nullptr, nullptr, nullptr, ACCESS_SCHEME, 0,
                               reinterpret_cast<UCHAR*>(&guid), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof(GUID));
    EXPECT_TRUE(SameGuid(guid, kUnknown));
    EXPECT_EQ(power_.Enumerate(nullptr, nullptr, nullptr, ACCESS_SCHEME, 0,
                               reinterpret_cast<UCHAR*>(&guid), nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(power_.Enumerate(HKEY_LOCAL_MACHINE, nullptr, nullptr, ACCESS_SCHEME, 0,
                               reinterpret_cast<UCHAR*>(&guid), &size),
              ERROR_INVALID_PARAMETER);

    // A friendly name longer than the buffer: the size needed, nothing written past the end.
    size = 0;
    EXPECT_EQ(power_.ReadFriendlyName(nullptr, &kBalanced, nullptr, nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof L"Balanced");
    wchar_t small[6] = {L'x', L'x', L'x', L'\0', L'y', L'y'};
    size = 3 * sizeof(wchar_t) + 1;
    EXPECT_EQ(power_.ReadFriendlyName(nullptr, &kBalanced, nullptr, nullptr,
                                      reinterpret_cast<UCHAR*>(small), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof L"Balanced");
    EXPECT_STREQ(small, L"xxx");
    EXPECT_EQ(small[4], L'y');
    wchar_t description[200] = {};
    size = sizeof description;
    EXPECT_EQ(power_.ReadDescription(nullptr, &kHighPerformance, nullptr, nullptr,
                                     reinterpret_cast<UCHAR*>(description), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(description, L"Favors performance, but may use more energy.");
}

TEST_F(VistaSchemesTest, SubgroupsAndSettingsAreListedAndNamed) {
    const std::vector<GUID> subgroups = Enumerate(ACCESS_SUBGROUP, &kBalanced);
    ASSERT_EQ(subgroups.size(), 7u);
    EXPECT_TRUE(SameGuid(subgroups[0], kVideo));
    const std::vector<GUID> video = Enumerate(ACCESS_INDIVIDUAL_SETTING, &kBalanced, &kVideo);
    ASSERT_EQ(video.size(), 2u);
    EXPECT_TRUE(SameGuid(video[0], kVideoTimeout));
    EXPECT_EQ(Enumerate(ACCESS_INDIVIDUAL_SETTING, nullptr, nullptr).size(), 1u); // no subgroup

    wchar_t name[100] = {};
    DWORD size = sizeof name;
    EXPECT_EQ(power_.ReadFriendlyName(nullptr, nullptr, &kVideo, &kVideoTimeout,
                                      reinterpret_cast<UCHAR*>(name), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, L"Turn off display after");

    GUID guid{};
    size = sizeof guid;
    EXPECT_EQ(power_.Enumerate(nullptr, &kUnknown, nullptr, ACCESS_SUBGROUP, 0,
                               reinterpret_cast<UCHAR*>(&guid), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(power_.Enumerate(nullptr, &kBalanced, &kUnknown, ACCESS_INDIVIDUAL_SETTING, 0,
                               reinterpret_cast<UCHAR*>(&guid), &size),
              ERROR_FILE_NOT_FOUND);
    size = sizeof name;
    EXPECT_EQ(power_.ReadFriendlyName(nullptr, &kBalanced, &kBalanced, nullptr,
                                      reinterpret_cast<UCHAR*>(name), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(power_.ReadFriendlyName(nullptr, nullptr, nullptr, nullptr,
                                      reinterpret_cast<UCHAR*>(name), &size),
              ERROR_INVALID_PARAMETER);
    DWORD status = 0;
    EXPECT_EQ(Name(kUnknown, &status), L"");
    EXPECT_EQ(status, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(VistaSchemesTest, ActiveSchemeIsSetReadBackAndJournalled) {
    JournalWatch journal;
    EXPECT_EQ(power_.SetActiveScheme(nullptr, &kPowerSaver), ERROR_SUCCESS);
    EXPECT_TRUE(SameGuid(Active(), kPowerSaver));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kPowerSchemes, "ActivePowerScheme").Text(),
              "a1841308-3541-4fab-bc81-f71556f20b4a");
    const auto set = journal.Last("powrprof", "PowerSetActiveScheme");
    EXPECT_EQ(set.arguments, "root=null scheme={a1841308-3541-4fab-bc81-f71556f20b4a}");
    EXPECT_EQ(set.result.rfind("0 name=\"Power saver\" video=300/120 brightness=40/25 ", 0), 0u)
        << set.result;
    EXPECT_EQ(journal.Last("powrprof", "PowerGetActiveScheme").result,
              "0 scheme={a1841308-3541-4fab-bc81-f71556f20b4a}");

    EXPECT_EQ(power_.SetActiveScheme(nullptr, &kUnknown), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(power_.SetActiveScheme(nullptr, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(SameGuid(Active(), kPowerSaver));
    EXPECT_EQ(power_.GetActiveScheme(nullptr, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(VistaSchemesTest, DamagedValuesAreRefusedWithoutACrash) {
    Enumerate(); // seeds
    PutText(HKEY_LOCAL_MACHINE, kPowerSchemes, "ActivePowerScheme", "not a guid");
    EXPECT_TRUE(SameGuid(Active(), kBalanced));
    const DWORD word = 7;
    PutValue(HKEY_LOCAL_MACHINE, kPowerSchemes, "ActivePowerScheme", REG_DWORD, &word, 4);
    EXPECT_TRUE(SameGuid(Active(), kBalanced));
    // Set by a person, braces and case as they like.
    PutText(HKEY_LOCAL_MACHINE, kPowerSchemes, "ActivePowerScheme",
            "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}");
    EXPECT_TRUE(SameGuid(Active(), kHighPerformance));

    // A name of the wrong type, an index of the wrong size or type.
    PutValue(HKEY_LOCAL_MACHINE, SchemeKey(kBalanced), "FriendlyName", REG_DWORD, &word, 4);
    DWORD status = 0;
    EXPECT_EQ(Name(kBalanced, &status), L"");
    EXPECT_EQ(status, static_cast<DWORD>(ERROR_INVALID_DATA));
    const std::string setting =
        SchemeKey(kBalanced) + "\\" + KeyName(kVideo) + "\\" + KeyName(kVideoTimeout);
    const unsigned char shortWord[2] = {1, 2};
    PutValue(HKEY_LOCAL_MACHINE, setting, "ACSettingIndex", REG_DWORD, shortWord, 2);
    PutValue(HKEY_LOCAL_MACHINE, setting, "DCSettingIndex", REG_SZ, "5", 2);
    DWORD value = 1234;
    EXPECT_EQ(ReadAc(kBalanced, kVideo, kVideoTimeout, value), ERROR_INVALID_DATA);
    EXPECT_EQ(power_.ReadDCValueIndex(nullptr, &kBalanced, &kVideo, &kVideoTimeout, &value),
              ERROR_INVALID_DATA);
    EXPECT_EQ(value, 1234u);
    // Keys that are not schemes are not listed.
    PutText(HKEY_LOCAL_MACHINE, std::string(kPowerSchemes) + "\\notes", "FriendlyName", "x");
    PutText(HKEY_LOCAL_MACHINE, std::string(kPowerSchemes) + "\\{" + kBalancedKey + "}",
            "FriendlyName", "braced");
    EXPECT_EQ(Enumerate().size(), 3u);
}

TEST_F(VistaSchemesTest, ListThatChangesDuringTheWalkEndsCleanly) {
    const GUID made = Duplicate();
    ASSERT_EQ(Enumerate().size(), 4u);
    GUID guid{};
    DWORD size = sizeof guid;
    ASSERT_EQ(power_.Enumerate(nullptr, nullptr, nullptr, ACCESS_SCHEME, 3,
                               reinterpret_cast<UCHAR*>(&guid), &size),
              ERROR_SUCCESS);
    ASSERT_EQ(power_.DeleteScheme(nullptr, &made), ERROR_SUCCESS);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, SchemeKey(kHighPerformance).c_str());
    size = sizeof guid;
    EXPECT_EQ(power_.Enumerate(nullptr, nullptr, nullptr, ACCESS_SCHEME, 3,
                               reinterpret_cast<UCHAR*>(&guid), &size),
              ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(power_.Enumerate(nullptr, nullptr, nullptr, ACCESS_SCHEME, 2,
                               reinterpret_cast<UCHAR*>(&guid), &size),
              ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(power_.Enumerate(nullptr, nullptr, nullptr, ACCESS_SCHEME, 1,
                               reinterpret_cast<UCHAR*>(&guid), &size),
              ERROR_SUCCESS);
    EXPECT_TRUE(SameGuid(guid, kPowerSaver));
}

TEST_F(VistaSchemesTest, AccessFollowsTheMachineState) {
    EXPECT_EQ(power_.SettingAccessCheck(ACCESS_CREATE_SCHEME, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(power_.SettingAccessCheck(ACCESS_ACTIVE_SCHEME, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(power_.SettingAccessCheck(static_cast<POWER_DATA_ACCESSOR>(99), nullptr),
              ERROR_INVALID_PARAMETER);

    SetStateWord("CanUserWritePwrScheme", 0);
    EXPECT_EQ(power_.SettingAccessCheck(ACCESS_CREATE_SCHEME, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(power_.SettingAccessCheck(ACCESS_ACTIVE_SCHEME, nullptr), ERROR_SUCCESS);
    GUID* made = nullptr;
    EXPECT_EQ(power_.DuplicateScheme(nullptr, &kBalanced, &made), ERROR_ACCESS_DENIED);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(WriteName(kBalanced, L"Mine"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(power_.WriteACValueIndex(nullptr, &kBalanced, &kVideo, &kVideoTimeout, 60),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(Name(kBalanced), L"Balanced");

    ResetMachineState();
    SetStateWord("CanUserSetActiveScheme", 0);
    JournalWatch journal;
    EXPECT_EQ(power_.SettingAccessCheck(ACCESS_CREATE_SCHEME, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(power_.SettingAccessCheck(ACCESS_ACTIVE_SCHEME, &kBalanced), ERROR_ACCESS_DENIED);
    EXPECT_EQ(power_.SetActiveScheme(nullptr, &kPowerSaver), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(SameGuid(Active(), kBalanced));
    const auto check = journal.Last("powrprof", "PowerSettingAccessCheck");
    EXPECT_EQ(check.arguments, "access=19 guid={381b4222-f694-41f0-9685-ff5bb260df2e}");
    EXPECT_EQ(check.result, std::to_string(ERROR_ACCESS_DENIED));
}

// From Vista on the XP scheme and policy functions are unavailable; the machine's own
// questions and sleep still answer.
TEST_F(VistaSchemesTest, XpSchemeFunctionsAreUnavailable) {
    LoadedLibrary xp("powrprof.dll");
    const auto getActive = xp.Get<BOOLEAN(WINAPI*)(PUINT)>("GetActivePwrScheme");
    const auto readGlobal = xp.Get<BOOLEAN(WINAPI*)(PGLOBAL_POWER_POLICY)>("ReadGlobalPwrPolicy");
    const auto write =
        xp.Get<BOOLEAN(WINAPI*)(PUINT, LPWSTR, LPWSTR, PPOWER_POLICY)>("WritePwrScheme");
    const auto canWrite = xp.Get<BOOLEAN(WINAPI*)()>("CanUserWritePwrScheme");
    const auto suspend = xp.Get<BOOLEAN(WINAPI*)(BOOLEAN, BOOLEAN, BOOLEAN)>("SetSuspendState");
    const auto caps = xp.Get<BOOLEAN(WINAPI*)(PSYSTEM_POWER_CAPABILITIES)>("GetPwrCapabilities");
    JournalWatch journal;
    UINT id = 0;
    ::SetLastError(0);
    EXPECT_FALSE(getActive(&id));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    GLOBAL_POWER_POLICY global{};
    EXPECT_FALSE(readGlobal(&global));
    POWER_POLICY policy{};
    policy.user.Revision = 1;
    policy.mach.Revision = 1;
    UINT newId = static_cast<UINT>(-1);
    wchar_t name[] = L"Refused";
    EXPECT_FALSE(write(&newId, name, nullptr, &policy));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    EXPECT_EQ(journal.Last("powrprof", "WritePwrScheme").result, "FALSE error=120");

    EXPECT_TRUE(canWrite());
    SYSTEM_POWER_CAPABILITIES capabilities{};
    EXPECT_TRUE(caps(&capabilities));
    EXPECT_TRUE(capabilities.SystemS3);
    EXPECT_TRUE(suspend(FALSE, FALSE, FALSE));
    EXPECT_EQ(journal.Last("powrprof", "SetSuspendState").result, "TRUE");
    for (const char* state : {"CapS1", "CapS2", "CapS3"}) {
        SetStateWord(state, 0);
    }
    EXPECT_FALSE(suspend(FALSE, FALSE, FALSE));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

} // namespace
