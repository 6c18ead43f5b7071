// The Vista scheme functions of the emulator's powrprof.dll, loaded by name: the default and a
// configured scheme list, friendly names, the active scheme, access checks, and suspend
// requests that are journalled without suspending anything.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600 // the SDK declares the Vista functions for Vista targets only
#include <windows.h>
#include <powrprof.h>

#include <string>
#include <vector>

#include "EmulatorTestSupport.h"

using namespace emulator_test;

namespace {

constexpr char kSchemesKey[] = "SOFTWARE\\Notebook Emulator\\VistaSchemes";
constexpr GUID kBalanced = {
    0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};
constexpr GUID kHighPerformance = {
    0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C}};
constexpr GUID kPowerSaver = {
    0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}};
constexpr GUID kUnknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

struct VistaPower : LoadedLibrary {
    VistaPower() : LoadedLibrary("powrprof.dll") {}

    decltype(&::PowerEnumerate) Enumerate = Get<decltype(&::PowerEnumerate)>("PowerEnumerate");
    decltype(&::PowerReadFriendlyName) ReadFriendlyName =
        Get<decltype(&::PowerReadFriendlyName)>("PowerReadFriendlyName");
    decltype(&::PowerGetActiveScheme) GetActiveScheme =
        Get<decltype(&::PowerGetActiveScheme)>("PowerGetActiveScheme");
    decltype(&::PowerSetActiveScheme) SetActiveScheme =
        Get<decltype(&::PowerSetActiveScheme)>("PowerSetActiveScheme");
    decltype(&::PowerSettingAccessCheck) AccessCheck =
        Get<decltype(&::PowerSettingAccessCheck)>("PowerSettingAccessCheck");
    decltype(&::SetSuspendState) SetSuspendState =
        Get<decltype(&::SetSuspendState)>("SetSuspendState");
};

bool SameGuid(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void RemoveSchemeList() {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSchemesKey);
}

void AddScheme(const std::string& keyName, const wchar_t* name) {
    const std::string path = std::string(kSchemesKey) + "\\" + keyName;
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (name != nullptr) {
        ::RegSetValueExW(key, L"FriendlyName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                         static_cast<DWORD>((std::wcslen(name) + 1) * sizeof(wchar_t)));
    }
    ::RegCloseKey(key);
}

class VistaSchemesTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveSchemeList();
        ResetMachineState();
        ASSERT_TRUE(power_.module);
    }
    void TearDown() override {
        RemoveSchemeList();
        ResetMachineState();
    }

    // The switcher's walk: index 0, 1, ... until the first non-zero result.
    std::vector<GUID> Enumerate() {
        std::vector<GUID> found;
        for (ULONG index = 0;; ++index) {
            GUID guid{};
            DWORD size = sizeof guid;
            if (power_.Enumerate(nullptr, nullptr, nullptr, ACCESS_SCHEME, index,
                                 reinterpret_cast<UCHAR*>(&guid), &size) != ERROR_SUCCESS) {
                break;
            }
            EXPECT_EQ(size, sizeof guid);
            found.push_back(guid);
        }
        return found;
    }

    std::wstring Name(const GUID& scheme, DWORD* status = nullptr) {
        wchar_t buffer[1024] = {};
        DWORD size = sizeof buffer;
        const DWORD result = power_.ReadFriendlyName(nullptr, &scheme, nullptr, nullptr,
                                                     reinterpret_cast<UCHAR*>(buffer), &size);
        if (status != nullptr) {
            *status = result;
        }
        return buffer;
    }

    GUID Active() {
        GUID* active = nullptr;
        EXPECT_EQ(power_.GetActiveScheme(nullptr, &active), ERROR_SUCCESS);
        if (active == nullptr) {
            return GUID{};
        }
        EXPECT_EQ(::LocalSize(active), sizeof(GUID));
        const GUID copy = *active;
        EXPECT_EQ(::LocalFree(active), nullptr);
        return copy;
    }

    VistaPower power_;
};

TEST_F(VistaSchemesTest, DefaultMachineHasTheThreeUsualSchemes) {
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

    const auto calls = journal.Entries("powrprof", "PowerEnumerate");
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].arguments,
              "root=null scheme=null subgroup=null access=16 index=0 buffer=set size=16");
    EXPECT_EQ(calls[0].result, "0 size=16 scheme={381b4222-f694-41f0-9685-ff5bb260df2e}");
    EXPECT_EQ(calls[3].result, std::to_string(ERROR_NO_MORE_ITEMS));
    EXPECT_EQ(journal.Last("powrprof", "PowerReadFriendlyName").result,
              "0 size=24 name=\"Power saver\"");
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
    EXPECT_EQ(power_.Enumerate(nullptr, &kBalanced, nullptr, ACCESS_SUBGROUP, 0,
                               reinterpret_cast<UCHAR*>(&guid), &size),
              ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(power_.Enumerate(nullptr, &kUnknown, nullptr, ACCESS_SUBGROUP, 0,
                               reinterpret_cast<UCHAR*>(&guid), &size),
              ERROR_FILE_NOT_FOUND);

    size = 0;
    EXPECT_EQ(power_.ReadFriendlyName(nullptr, &kBalanced, nullptr, nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof L"Balanced");
    wchar_t small[4] = {L'x', L'x', L'x', L'\0'};
    size = sizeof small;
    EXPECT_EQ(power_.ReadFriendlyName(nullptr, &kBalanced, nullptr, nullptr,
                                      reinterpret_cast<UCHAR*>(small), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof L"Balanced");
    EXPECT_STREQ(small, L"xxx");
}

TEST_F(VistaSchemesTest, UnknownSchemesAndSettingsHaveNoName) {
    DWORD status = 0;
    EXPECT_EQ(Name(kUnknown, &status), L"");
    EXPECT_EQ(status, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    wchar_t buffer[64] = {};
    DWORD size = sizeof buffer;
    EXPECT_EQ(power_.ReadFriendlyName(nullptr, &kBalanced, &kBalanced, nullptr,
                                      reinterpret_cast<UCHAR*>(buffer), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(power_.ReadFriendlyName(nullptr, nullptr, nullptr, nullptr,
                                      reinterpret_cast<UCHAR*>(buffer), &size),
              ERROR_INVALID_PARAMETER);
}

TEST_F(VistaSchemesTest, ActiveSchemeIsSetReadBackAndJournalled) {
    JournalWatch journal;
    EXPECT_EQ(power_.SetActiveScheme(nullptr, &kPowerSaver), ERROR_SUCCESS);
    EXPECT_TRUE(SameGuid(Active(), kPowerSaver));
    const auto set = journal.Last("powrprof", "PowerSetActiveScheme");
    EXPECT_EQ(set.arguments, "root=null scheme={a1841308-3541-4fab-bc81-f71556f20b4a}");
    EXPECT_EQ(set.result, "0 name=\"Power saver\"");
    EXPECT_EQ(journal.Last("powrprof", "PowerGetActiveScheme").result,
              "0 scheme={a1841308-3541-4fab-bc81-f71556f20b4a}");

    EXPECT_EQ(power_.SetActiveScheme(nullptr, &kUnknown), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(power_.SetActiveScheme(nullptr, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(SameGuid(Active(), kPowerSaver));
    EXPECT_EQ(power_.GetActiveScheme(nullptr, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(VistaSchemesTest, DamagedActiveValueReadsAsBalanced) {
    PutText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "VistaActiveScheme", "not a guid");
    EXPECT_TRUE(SameGuid(Active(), kBalanced));
    SetStateWord("VistaActiveScheme", 7);
    EXPECT_TRUE(SameGuid(Active(), kBalanced));
    // Set by a person, braces and case as they like.
    PutText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "VistaActiveScheme",
            "8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C");
    EXPECT_TRUE(SameGuid(Active(), kHighPerformance));
}

TEST_F(VistaSchemesTest, ConfiguredListReplacesTheDefaults) {
    AddScheme("{00000006-0000-0000-0000-000000000000}", L"Sixth");
    AddScheme("00000002-0000-0000-0000-000000000000", L"Second");
    AddScheme("{00000001-0000-0000-0000-000000000000}", L"First");
    AddScheme("{00000004-0000-0000-0000-000000000000}", L"Fourth");
    AddScheme("{00000005-0000-0000-0000-000000000000}", nullptr);
    AddScheme("{00000003-0000-0000-0000-000000000000}", L"Third");
    AddScheme("notes", L"not a scheme");
    AddScheme("{0000000Z-0000-0000-0000-000000000000}", L"not a GUID");

    const std::vector<GUID> schemes = Enumerate();
    ASSERT_EQ(schemes.size(), 6u);
    for (unsigned i = 0; i < schemes.size(); ++i) {
        EXPECT_EQ(schemes[i].Data1, i + 1);
    }
    EXPECT_EQ(Name(schemes[1]), L"Second");
    DWORD status = 0;
    EXPECT_EQ(Name(schemes[4], &status), L"");
    EXPECT_EQ(status, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // The defaults are gone with the configured list, even as the active scheme.
    EXPECT_EQ(power_.SetActiveScheme(nullptr, &kBalanced), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(power_.SetActiveScheme(nullptr, &schemes[5]), ERROR_SUCCESS);
    EXPECT_TRUE(SameGuid(Active(), schemes[5]));
}

TEST_F(VistaSchemesTest, EmptyListEnumeratesNothing) {
    AddScheme("notes", L"not a scheme");
    EXPECT_TRUE(Enumerate().empty());
}

TEST_F(VistaSchemesTest, AccessFollowsTheMachineState) {
    EXPECT_EQ(power_.AccessCheck(ACCESS_CREATE_SCHEME, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(power_.AccessCheck(ACCESS_ACTIVE_SCHEME, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(power_.AccessCheck(static_cast<POWER_DATA_ACCESSOR>(99), nullptr),
              ERROR_INVALID_PARAMETER);

    SetStateWord("CanUserWritePwrScheme", 0);
    EXPECT_EQ(power_.AccessCheck(ACCESS_CREATE_SCHEME, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(power_.AccessCheck(ACCESS_ACTIVE_SCHEME, nullptr), ERROR_SUCCESS);

    ResetMachineState();
    SetStateWord("CanUserSetActiveScheme", 0);
    JournalWatch journal;
    EXPECT_EQ(power_.AccessCheck(ACCESS_CREATE_SCHEME, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(power_.AccessCheck(ACCESS_ACTIVE_SCHEME, &kBalanced), ERROR_ACCESS_DENIED);
    EXPECT_EQ(power_.SetActiveScheme(nullptr, &kPowerSaver), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(SameGuid(Active(), kBalanced));
    const auto check = journal.Last("powrprof", "PowerSettingAccessCheck");
    EXPECT_EQ(check.arguments, "access=19 guid={381b4222-f694-41f0-9685-ff5bb260df2e}");
    EXPECT_EQ(check.result, std::to_string(ERROR_ACCESS_DENIED));
}

TEST_F(VistaSchemesTest, SleepIsJournalledAndReturns) {
    JournalWatch journal;
    EXPECT_TRUE(power_.SetSuspendState(FALSE, FALSE, FALSE));
    const auto entry = journal.Last("powrprof", "SetSuspendState");
    EXPECT_EQ(entry.arguments, "hibernate=0 force=0 disable_wake=0");
    EXPECT_EQ(entry.result, "TRUE");

    SetStateWord("CapS3", 0);
    SetStateWord("CapS1", 0);
    SetStateWord("CapS2", 0);
    EXPECT_FALSE(power_.SetSuspendState(FALSE, FALSE, FALSE));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

} // namespace
