// The switcher's battery health on the emulated notebook: PORTAX.DLL bound at run time, the
// health check against the machine state and the journal, and the override and counter files
// in the prefix's all-users application-data folder.
#include <windows.h>
#include <aclapi.h>

#include <cstdarg>
#include <span>
#include <string>
#include <vector>

#include "EmulatorTestSupport.h"
#include "framework/BoundedFormat.h"
#include "switcher/battery/BatteryFiles.h"
#include "switcher/battery/BatteryHealth.h"
#include "switcher/battery/BatteryPlatform.h"

using namespace emulator_test;
using namespace switcher;

namespace {

std::vector<std::wstring> g_traces;

// DebugTrace's shape; keeps the lines that would be printed.
void RecordTrace(bool enabled, const wchar_t* tag, const wchar_t* format, ...) {
    if (!enabled) {
        return;
    }
    wchar_t line[1024];
    va_list args;
    va_start(args, format);
    framework::FormatIntoV(std::span<wchar_t>(line), format, args);
    va_end(args);
    g_traces.push_back(std::wstring(tag) + L": " + line);
}

bool Traced(const std::wstring& line) {
    for (const std::wstring& t : g_traces) {
        if (t == line) {
            return true;
        }
    }
    return false;
}

std::wstring FileIn(const wchar_t* name) {
    const auto path = BatteryFilePath(name);
    EXPECT_TRUE(path);
    return path.value_or(L"");
}

void PutFile(const std::wstring& path, const std::string& bytes) {
    framework::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::optional<std::string> FileBytes(const std::wstring& path) {
    framework::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    char buffer[64];
    DWORD got = 0;
    ::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr);
    return std::string(buffer, got);
}

std::string CounterBytes(std::int32_t count) {
    const auto bytes = EncodeCounter(count);
    return std::string(bytes.begin(), bytes.end());
}

void RemoveBatteryFiles() {
    for (const wchar_t* name : {kOverrideFileName, kCounterFileName, L"PivoraOther.bin"}) {
        const std::wstring path = FileIn(name);
        ::DeleteFileW(path.c_str());
        ::RemoveDirectoryW(path.c_str());
    }
}

// A null DACL, or an entry that lets Everyone write.
bool EveryoneMayWrite(const std::wstring& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const framework::UniqueLocal descriptorBlock(descriptor); // the DACL lies inside it
    bool may = dacl == nullptr;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    framework::UniqueHandle<framework::NullHandleTraits<PSID, ::FreeSid>> everyone;
    if (!::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0,
                                    everyone.Put())) {
        return may;
    }
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (::GetAce(dacl, i, reinterpret_cast<void**>(&ace)) &&
            ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            ::EqualSid(&ace->SidStart, everyone.Get()) && (ace->Mask & FILE_WRITE_DATA) != 0) {
            may = true;
        }
    }
    return may;
}

SYSTEM_POWER_STATUS OnBattery(BYTE percent) {
    SYSTEM_POWER_STATUS status{};
    status.ACLineStatus = 0;
    status.BatteryFlag = 0;
    status.BatteryLifePercent = percent;
    status.BatteryLifeTime = 0xFFFFFFFF;
    status.BatteryFullLifeTime = 0xFFFFFFFF;
    return status;
}

class BatteryHealthTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMachineState();
        RemoveBatteryFiles();
        g_traces.clear();
        ASSERT_TRUE(portax_.Load());
    }
    void TearDown() override {
        RemoveBatteryFiles();
        ResetMachineState();
    }

    // fcc 2100 of 4400 design: ratio 0.477.
    static void MakeWorn() {
        SetStateWord("EC_CC", 0x34);
        SetStateWord("EC_CD", 0x08);
    }

    ResourceTokens Texts() const { return LoadBatteryTexts(::GetModuleHandleW(nullptr)); }

    std::optional<std::string> Counter() const { return FileBytes(FileIn(kCounterFileName)); }

    PortaxLibrary portax_;
    BatteryHealth health_{portax_, RecordTrace};
};

TEST(PortaxLibrary, BindsBothEntryPointsOrNothing) {
    PortaxLibrary library;
    EXPECT_FALSE(library.Load(L"NoSuchPortax.dll"));
    EXPECT_FALSE(library.Loaded());
    // A library without the two names is freed again.
    EXPECT_FALSE(library.Load(L"kernel32.dll"));
    EXPECT_FALSE(library.Loaded());

    JournalWatch journal;
    EXPECT_EQ(library.Receive(0xB0, 0xCA), 0);
    EXPECT_EQ(library.Write(0x45, 0x1D), 0);
    EXPECT_TRUE(journal.RawLines().empty());

    ASSERT_TRUE(library.Load());
    EXPECT_EQ(library.Receive(0xB0, 0xCA), 0x30);
    library.Free();
    EXPECT_FALSE(library.Loaded());
    EXPECT_EQ(library.Receive(0xB0, 0xCA), 0);
}

TEST_F(BatteryHealthTest, EachStartSendsTheControllerNotice) {
    JournalWatch journal;
    health_.Start();
    health_.Start(); // on resume
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "ECNotifyCount").Word(), 2u);
    const auto writes = journal.Entries("Portax", "EC_686CPort_WriteCOMM");
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].arguments, "command=0x00000045 count=1 data=0x1D");
    EXPECT_EQ(writes[1].arguments, writes[0].arguments);
}

TEST_F(BatteryHealthTest, ReadsTheEightRegistersInOrder) {
    MakeWorn();
    SetStateWord("ChargeCycles", 0x0123);
    SetStateWord("EC_EE", 0x60);
    JournalWatch journal;
    const BatteryValues values = health_.ReadBattery();
    EXPECT_EQ(values.designCapacity, 4400);
    EXPECT_EQ(values.fullChargeCapacity, 2100);
    EXPECT_EQ(values.cycleCount, 0x0123);
    EXPECT_EQ(values.status, 0x60);
    EXPECT_EQ(values.damaged, 0);

    std::vector<std::string> order;
    for (const auto& entry : journal.Entries("Portax", "EC_686CPort_ReceiveCOMM")) {
        order.push_back(emulator::FindArgument(entry.arguments, "input").value_or("?"));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"0xCA", "0xCB", "0xCC", "0xCD", "0xEB", "0xEC",
                                               "0xEE", "0xEF"}));
    EXPECT_TRUE(Traced(L"read_bat: dc=1130, fcc=0834, cc=123, ma=0060, dg=0\n"));
}

TEST_F(BatteryHealthTest, FiveFlaggedChecksWarnAndClearTheCounter) {
    MakeWorn();
    SetStateWord("ECEventFlag", 1);
    for (std::int32_t check = 1; check <= 4; ++check) {
        const HealthResult result = health_.Check(OnBattery(57), Texts());
        EXPECT_EQ(result.tray, HealthResult::Tray::Unchanged) << check;
        EXPECT_EQ(result.condition, BatteryCondition::Worn);
        EXPECT_EQ(result.indicatorText, L"57%");
        EXPECT_EQ(Counter(), CounterBytes(check));
    }
    EXPECT_TRUE(Traced(L"cbt_cnt: new\n"));
    EXPECT_TRUE(Traced(L"cbt_cnt: m=4\n"));

    JournalWatch journal;
    // The icon and balloon come before the counter is cleared and the check traced.
    int trayCalls = 0;
    const HealthResult fifth = health_.Check(OnBattery(57), Texts(), [&](const HealthResult& r) {
        ++trayCalls;
        EXPECT_EQ(r.tray, HealthResult::Tray::ShowWarning);
        EXPECT_EQ(Counter(), CounterBytes(5));
        EXPECT_FALSE(Traced(L"cbt_cnt: rest, m=0\n"));
    });
    EXPECT_EQ(trayCalls, 1);
    ASSERT_EQ(fifth.tray, HealthResult::Tray::ShowWarning);
    ASSERT_TRUE(fifth.warning);
    EXPECT_EQ(fifth.warning->trayIcon, kWornTrayIcon);
    EXPECT_EQ(fifth.warning->title, L"Battery capacity low");
    EXPECT_EQ(fifth.warning->text, L"Your battery's capacity is low.");
    EXPECT_FALSE(Counter());
    EXPECT_TRUE(Traced(L"cbt_cnt: rest, m=0\n"));
    EXPECT_TRUE(
        Traced(L"CUIDlg::OnPower: Battery is fine. But need to be replaced immediately.\n"));
    // Counting and the reset each query and acknowledge the flag.
    std::vector<std::string> writes;
    for (const auto& entry : journal.Entries("Portax", "EC_686CPort_WriteCOMM")) {
        writes.push_back(emulator::FindArgument(entry.arguments, "data").value_or("?"));
    }
    EXPECT_EQ(writes, (std::vector<std::string>{"0x1E", "0x1E"}));
}

TEST_F(BatteryHealthTest, UnflaggedChecksNeverCountButTheBatteryKeyWarnsAtOnce) {
    MakeWorn();
    for (int check = 0; check < 6; ++check) {
        EXPECT_EQ(health_.Check(OnBattery(40), Texts()).tray, HealthResult::Tray::Unchanged);
    }
    EXPECT_EQ(Counter(), CounterBytes(0));

    health_.ForceNextWarning();
    const HealthResult forced = health_.Check(OnBattery(40), Texts());
    EXPECT_EQ(forced.tray, HealthResult::Tray::ShowWarning);
    EXPECT_FALSE(health_.WarningForced());
    EXPECT_EQ(health_.Check(OnBattery(40), Texts()).tray, HealthResult::Tray::Unchanged);
}

TEST_F(BatteryHealthTest, BatteryKeyOnAGoodBatteryWaitsForTheNextWornOne) {
    health_.ForceNextWarning();
    EXPECT_EQ(health_.Check(OnBattery(90), Texts()).tray, HealthResult::Tray::Remove);
    EXPECT_TRUE(health_.WarningForced());
    MakeWorn();
    EXPECT_EQ(health_.Check(OnBattery(90), Texts()).tray, HealthResult::Tray::ShowWarning);
}

TEST_F(BatteryHealthTest, DamagedBatteryGetsTheDamagedWarning) {
    SetStateWord("EC_EE", 0x10);
    health_.ForceNextWarning();
    const HealthResult result = health_.Check(OnBattery(80), Texts());
    EXPECT_EQ(result.condition, BatteryCondition::Damaged);
    ASSERT_TRUE(result.warning);
    EXPECT_EQ(result.warning->trayIcon, kDamagedTrayIcon);
    EXPECT_EQ(result.warning->title, L"Battery exhausted");
    EXPECT_EQ(result.warning->text, L"Your battery is exhausted.");
    EXPECT_TRUE(Traced(L"CUIDlg::OnPower: Battery damaged.\n"));
}

TEST_F(BatteryHealthTest, GoodBatteryRemovesTheIconAndTheCounter) {
    PutFile(FileIn(kCounterFileName), CounterBytes(3));
    const HealthResult result = health_.Check(OnBattery(100), Texts());
    EXPECT_EQ(result.tray, HealthResult::Tray::Remove);
    EXPECT_EQ(result.condition, BatteryCondition::Good);
    EXPECT_EQ(result.indicatorText, L"100%");
    EXPECT_FALSE(Counter());
    EXPECT_TRUE(Traced(L"CUIDlg::OnPower: Battery is good.\n"));
}

TEST_F(BatteryHealthTest, NoSystemBatteryTouchesNothing) {
    MakeWorn();
    JournalWatch journal;
    SYSTEM_POWER_STATUS status = OnBattery(255);
    status.BatteryFlag = 128;
    const HealthResult result = health_.Check(status, Texts());
    EXPECT_EQ(result.tray, HealthResult::Tray::Remove);
    EXPECT_EQ(result.indicatorText, L"");
    EXPECT_FALSE(result.condition);
    EXPECT_TRUE(journal.Entries("Portax", "EC_686CPort_ReceiveCOMM").empty());
    EXPECT_EQ(g_traces, std::vector<std::wstring>{L"CUIDlg::OnPower: No system battery.\n"});
}

TEST_F(BatteryHealthTest, OverrideFileStandsInForTheController) {
    MakeWorn();
    PutFile(FileIn(kOverrideFileName), "4400, 4300, 12, 0\r\n");
    JournalWatch journal;
    const HealthResult result = health_.Check(OnBattery(70), Texts());
    EXPECT_EQ(result.condition, BatteryCondition::Good);
    std::vector<std::string> inputs;
    for (const auto& entry : journal.Entries("Portax", "EC_686CPort_ReceiveCOMM")) {
        inputs.push_back(emulator::FindArgument(entry.arguments, "input").value_or("?"));
    }
    // No register read; the good check still queries the event flag through the reset.
    EXPECT_EQ(inputs, std::vector<std::string>{"0x1F"});
    EXPECT_EQ(journal.Entries("Portax", "EC_686CPort_WriteCOMM").size(), 1u);
}

TEST_F(BatteryHealthTest, MalformedOverrideFilesReadSafely) {
    MakeWorn();
    PutFile(FileIn(kOverrideFileName), std::string("\xFF\xFE"
                                                   "4\0"
                                                   "4\0"
                                                   ",",
                                                   7));
    BatteryValues values = health_.ReadBattery();
    EXPECT_EQ(values.designCapacity, 0);
    EXPECT_EQ(values.fullChargeCapacity, 0);

    PutFile(FileIn(kOverrideFileName),
            "4400, 2100, 99999999999999999999999, -16" + std::string(10000, ' ') + "junk");
    values = health_.ReadBattery();
    EXPECT_EQ(values.fullChargeCapacity, 2100);
    EXPECT_EQ(values.status, 0xFFF0);
    EXPECT_EQ(values.damaged, 0); // bits 4..7 of 0xFFF0 = 15

    // A folder under the name is no override: the controller is read.
    ::DeleteFileW(FileIn(kOverrideFileName).c_str());
    ASSERT_TRUE(::CreateDirectoryW(FileIn(kOverrideFileName).c_str(), nullptr));
    EXPECT_EQ(health_.ReadBattery().fullChargeCapacity, 2100);
    EXPECT_EQ(health_.ReadBattery().designCapacity, 4400);
}

TEST_F(BatteryHealthTest, DamagedCounterContentStartsAgain) {
    SetStateWord("ECEventFlag", 1);
    PutFile(FileIn(kCounterFileName), std::string("\x03\x00", 2));
    EXPECT_EQ(health_.CountEvent(false), 1);
    EXPECT_EQ(Counter(), CounterBytes(1));

    PutFile(FileIn(kCounterFileName), CounterBytes(-40));
    EXPECT_EQ(health_.CountEvent(false), 1);

    PutFile(FileIn(kCounterFileName), CounterBytes(3) + "trailing");
    EXPECT_EQ(health_.CountEvent(false), 4);
    EXPECT_EQ(Counter(), CounterBytes(4)); // exactly four bytes again

    PutFile(FileIn(kCounterFileName), CounterBytes(INT32_MAX));
    EXPECT_EQ(health_.CountEvent(false), INT32_MAX);
}

TEST_F(BatteryHealthTest, CounterIsOpenToEveryUserAfterAWrite) {
    // A file made the ordinary way is not; Wine keeps no DACL of its own for files on every
    // file system and shows the one the access mode gives instead.
    const std::wstring plain = FileIn(L"PivoraOther.bin");
    PutFile(plain, "x");
    if (EveryoneMayWrite(plain)) {
        GTEST_SKIP() << "new files are writable by everyone here";
    }
    health_.CountEvent(false);
    EXPECT_TRUE(EveryoneMayWrite(FileIn(kCounterFileName)));
}

TEST_F(BatteryHealthTest, CounterNameTakenByAFolderCountsNothing) {
    SetStateWord("ECEventFlag", 1);
    MakeWorn();
    ASSERT_TRUE(::CreateDirectoryW(FileIn(kCounterFileName).c_str(), nullptr));
    EXPECT_EQ(health_.CountEvent(false), 0);
    EXPECT_TRUE(Traced(L"cbt_cnt: fail, m=0\n"));
    // The battery key still warns.
    health_.ForceNextWarning();
    EXPECT_EQ(health_.Check(OnBattery(30), Texts()).tray, HealthResult::Tray::ShowWarning);
}

TEST_F(BatteryHealthTest, CounterLinkedToAnotherFileIsNotWrittenThrough) {
    SetStateWord("ECEventFlag", 1);
    const std::wstring other = FileIn(L"PivoraOther.bin");
    PutFile(other, CounterBytes(9));
    if (!::CreateHardLinkW(FileIn(kCounterFileName).c_str(), other.c_str(), nullptr)) {
        GTEST_SKIP() << "no hard links here";
    }
    EXPECT_EQ(health_.CountEvent(false), 0);
    EXPECT_EQ(FileBytes(other), CounterBytes(9));
}

TEST(BatteryPlatform, TextsComeFromTheStringTable) {
    const ResourceTokens texts = LoadBatteryTexts(::GetModuleHandleW(nullptr));
    EXPECT_EQ(texts.Count(), 8u);
    EXPECT_EQ(texts[0], L" ");
    EXPECT_EQ(texts[kTokenTimeRemaining], L"%dh %dmins remaining");
    EXPECT_EQ(LoadResourceTokens(::GetModuleHandleW(nullptr), 999, L"\t").Count(), 0u);
}

TEST(BatteryPlatform, OnlyThePercentageSettingCountsAsAPercentageChange) {
    // POWERBROADCAST_SETTING: the setting's GUID, the data length, the data.
    struct Setting {
        GUID guid;
        DWORD length;
        DWORD data;
    };
    const Setting percentage{
        {0xA7AD8041, 0xB45A, 0x4CAE, {0x87, 0xA3, 0xEE, 0xCB, 0xB4, 0x68, 0xA9, 0xE1}}, 4, 57};
    const Setting source{
        {0x5D3E9A59, 0xE9D5, 0x4B00, {0xA6, 0xBD, 0xFF, 0x34, 0xFF, 0x51, 0x65, 0x48}}, 4, 1};
    EXPECT_TRUE(IsBatteryPercentageNotification(reinterpret_cast<LPARAM>(&percentage)));
    EXPECT_FALSE(IsBatteryPercentageNotification(reinterpret_cast<LPARAM>(&source)));
    EXPECT_FALSE(IsBatteryPercentageNotification(0));
}

} // namespace
