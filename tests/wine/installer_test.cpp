// "Initial" of the installer library, called the way the tray program and the applet call it,
// against the prefix's registry, the emulated power manager and the emulated policy library.
#include <windows.h>

#include <gtest/gtest.h>

#include "PowerPolicyTypes.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "PolicyRecords.h"
#include "RegistryKey.h"
#include "SchemeStore.h"
#include "SuiteScheme.h"
#include "FirmwareLogic.h"
#include "WindowsVersion.h"
#include "VersionClass.h"

using namespace store;

namespace {

const char kEmulatorKey[] = "SOFTWARE\\Notebook Emulator";

void SetProfile(const char* name) {
    RegistryKey key(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.Create(kEmulatorKey));
    key.WriteString("ModelProfile", name);
}

void SetEmulatorWord(const char* name, DWORD value) {
    RegistryKey key(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.Create(kEmulatorKey));
    key.WriteWord(name, value);
}

// Every value below a key, by path, as type and bytes.
using Snapshot = std::map<std::string, std::pair<DWORD, std::vector<BYTE>>>;

void Collect(HKEY root, const std::string& path, Snapshot& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    out[path + "\\"] = {REG_NONE, {}};
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLength = sizeof name, type = 0, size = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS) {
            break;
        }
        std::vector<BYTE> data(size);
        nameLength = sizeof name;
        RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
        out[path + "\\" + name] = {type, data};
    }
    std::vector<std::string> children;
    char child[256];
    for (DWORD i = 0; RegEnumKeyA(key, i, child, sizeof child) == ERROR_SUCCESS; ++i) {
        children.push_back(child);
    }
    RegCloseKey(key);
    for (const auto& c : children) {
        Collect(root, path + "\\" + c, out);
    }
}

Snapshot Everything() {
    Snapshot s;
    Collect(HKEY_CURRENT_USER, "SOFTWARE\\TERVANE", s);
    Collect(HKEY_LOCAL_MACHINE, "SOFTWARE\\TERVANE", s);
    Collect(HKEY_CURRENT_USER, "Control Panel\\PowerCfg", s);
    Collect(HKEY_LOCAL_MACHINE, kPowerCfgMachinePath, s);
    return s;
}

std::string ReadText(HKEY root, const std::string& path, const char* name) {
    RegistryKey key(root);
    char text[kTextSize] = {};
    if (key.Open(path, KEY_QUERY_VALUE)) {
        key.ReadString(name, text);
    }
    return text;
}

int WindowsLastId() {
    const std::string text = ReadText(HKEY_LOCAL_MACHINE, kPowerCfgMachinePath, "LastID");
    return text.empty() ? -1 : std::atoi(text.c_str());
}

// Removes the suite from the prefix: both trees and the Windows scheme it created.
void Uninstall() {
    DeleteKeyTree(HKEY_CURRENT_USER, "SOFTWARE\\TERVANE");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\TERVANE");
    for (int scheme; (scheme = FindSystemScheme()) >= 0;) {
        DeleteKeyTree(HKEY_CURRENT_USER, UserPolicyPath(scheme));
        DeleteKeyTree(HKEY_LOCAL_MACHINE, MachinePolicyPath(scheme));
        DeleteKeyTree(HKEY_LOCAL_MACHINE, ProcessorPolicyPath(scheme));
    }
    if (WindowsUsesSchemeInterface()) {
        PowerSchemeApi api;
        RemoveSuiteScheme(api);
    }
}

// Answers every message box this thread shows and remembers what it said. A CBT hook sees
// the box when it is activated, on the showing thread, so no polling races the box.
class BoxAnswerer {
public:
    BoxAnswerer() {
        current_ = this;
        hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~BoxAnswerer() {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    std::vector<std::string> Seen() const { return seen_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && current_ != nullptr) {
            const HWND box = reinterpret_cast<HWND>(wParam);
            char cls[32] = {};
            GetClassNameA(box, cls, sizeof cls);
            if (std::strcmp(cls, "#32770") == 0) {
                char caption[128] = {}, text[512] = {};
                GetWindowTextA(box, caption, sizeof caption);
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text); // the text of a message box
                current_->seen_.push_back(std::string(caption) + "|" + text);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline BoxAnswerer* current_ = nullptr;
    HHOOK hook_ = nullptr;
    std::vector<std::string> seen_;
};

int CallInitial() {
    HMODULE library = LoadLibraryA(TOBRINEL_PATH);
    EXPECT_NE(library, nullptr) << "cannot load " << TOBRINEL_PATH;
    if (library == nullptr) {
        return 0;
    }
    using InitialFn = int (*)();
    auto initial = reinterpret_cast<InitialFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "Initial")));
    EXPECT_NE(initial, nullptr);
    const int result = initial != nullptr ? initial() : 0;
    FreeLibrary(library);
    return result;
}

std::vector<int> ModeIds(HKEY root) {
    SchemeStore s;
    std::vector<int> ids;
    for (int id = 0; id < 8; ++id) {
        if (s.LoadScheme(root, id)) {
            ids.push_back(id);
        }
    }
    return ids;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        Uninstall();
        SetProfile("default");
        SetEmulatorWord("CanUserWritePwrScheme", 1);
    }
    void TearDown() override {
        Uninstall();
        SetProfile("default");
        SetEmulatorWord("CanUserWritePwrScheme", 1);
    }
};

} // namespace

TEST_F(Installer, FirstRunInstallsFiveModesInBothTreesAndTheWindowsScheme) {
    if (const char* expected = getenv("EXPECT_WINDOWS_CLASS")) {
        ASSERT_EQ(WindowsVersionClass(), atoi(expected));
    }
    const int lastBefore = WindowsLastId();
    BoxAnswerer boxes;
    EXPECT_EQ(CallInitial(), 1);
    EXPECT_TRUE(boxes.Seen().empty());

    const std::vector<int> all = {0, 1, 2, 3, 4};
    EXPECT_EQ(ModeIds(HKEY_LOCAL_MACHINE), all);
    EXPECT_EQ(ModeIds(HKEY_CURRENT_USER), all);
    SchemeStore s;
    EXPECT_EQ(s.ReadLastId(), 4);
    std::uint32_t msgFlg = 9, nextCycle = 9;
    s.ReadReminder(msgFlg, nextCycle);
    EXPECT_EQ(msgFlg, 0u);
    EXPECT_EQ(nextCycle, 0u);

    const char* names[] = {"Full POWER", "Long Life", "Normal", "High POWER", "DVD PlayBack"};
    for (int n = 0; n < 5; ++n) {
        ASSERT_TRUE(s.LoadScheme(HKEY_CURRENT_USER, n));
        EXPECT_STREQ(s.mode.NamePolicy, names[n]);
        EXPECT_EQ(s.mode.DefaultScheme, static_cast<std::uint32_t>(n));
    }
    ASSERT_TRUE(s.LoadScheme(HKEY_LOCAL_MACHINE, 4));
    EXPECT_STREQ(s.mode.DescriptionPolicy,
                 "This mode is suitable for playing DVD when your system is running under "
                 "batteries.");
    s.LoadGlobal(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(s.global.PwrSchemeDC, 2u);
    EXPECT_EQ(s.global.CriticalAlarm.Action, 3u);

    const int scheme = FindSystemScheme();
    ASSERT_GE(scheme, 0);
    EXPECT_EQ(scheme, lastBefore + 1);
    EXPECT_EQ(WindowsLastId(), scheme);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, UserPolicyPath(scheme), "Description"),
              "Power Management");
    USER_POWER_POLICY user{};
    ASSERT_TRUE(UserPolicyRecord(user, scheme, false));
    EXPECT_EQ(user.Revision, 1u);
    EXPECT_EQ(user.IdleSensitivityAc, 50);
    EXPECT_EQ(user.MaxSleepDc, PowerSystemSleeping3);
    EXPECT_EQ(user.IdleAc.Action, PowerActionSleep);
    EXPECT_EQ(user.IdleAc.Flags, static_cast<ULONG>(POWER_ACTION_QUERY_ALLOWED));
    EXPECT_EQ(user.FanThrottleToleranceDc, 100);
    MACHINE_POWER_POLICY machine{};
    ASSERT_TRUE(MachinePolicyRecord(machine, scheme, false));
    EXPECT_EQ(machine.MinThrottleAc, 25);
    EXPECT_EQ(machine.ReducedLatencySleepDc, PowerSystemSleeping1);

    MACHINE_PROCESSOR_POWER_POLICY processor{};
    const bool xp = WindowsVersionClass() == kWindowsXp;
    EXPECT_EQ(ProcessorPolicyRecord(processor, scheme, false), xp);
    if (xp) {
        EXPECT_EQ(processor.ProcessorPolicyAc.PolicyCount, 3u);
        EXPECT_EQ(processor.ProcessorPolicyDc.Policy[2].PromotePercent, 80);
        EXPECT_EQ(processor.ProcessorPolicyDc.Policy[1].PromotePercent, 40);
        EXPECT_EQ(processor.ProcessorPolicyAc.Policy[0].TimeCheck, 100000u);
    }
}

TEST_F(Installer, SecondCallChangesNothing) {
    EXPECT_EQ(CallInitial(), 1);
    const Snapshot before = Everything();
    EXPECT_EQ(CallInitial(), 1);
    EXPECT_EQ(Everything(), before);
}

// Windows 10 (its own fresh prefix): the scheme is made through the power-scheme interface
// beside the stock ones, with the factory mains mode, and no XP record is written.
TEST_F(Installer, Windows10InitialMakesTheSuiteSchemeOnce) {
    if (!WindowsUsesSchemeInterface()) {
        GTEST_SKIP() << "a Windows XP prefix";
    }
    PowerSchemeApi api;
    ASSERT_FALSE(FindSuiteScheme(api));
    const std::string lastBefore = ReadText(HKEY_LOCAL_MACHINE, kPowerCfgMachinePath, "LastID");
    EXPECT_EQ(CallInitial(), 1);

    const auto scheme = FindSuiteScheme(api);
    ASSERT_TRUE(scheme);
    char key[64];
    std::snprintf(key, sizeof key, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned long>(scheme->Data1), scheme->Data2, scheme->Data3,
                  scheme->Data4[0], scheme->Data4[1], scheme->Data4[2], scheme->Data4[3],
                  scheme->Data4[4], scheme->Data4[5], scheme->Data4[6], scheme->Data4[7]);
    const std::string path =
        std::string("SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes\\") + key;
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, path, "FriendlyName"), "Power Management");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, path, "Description"), "Power Management");

    // Every value of the factory mains mode, through the interface and in the layout.
    SchemeStore factory;
    factory.LoadGlobal(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(factory.LoadScheme(HKEY_LOCAL_MACHINE, 0));
    const auto values = SchemeValuesFor(factory.mode, 0, factory.global,
                                        hardware::PanelPercentFor(factory.mode.Brightnes[0]));
    EXPECT_EQ(values.size(), 15u);
    for (const SchemeValue& v : values) {
        GUID subgroup{}, setting{};
        ASSERT_TRUE(SchemeSettingGuids(v.setting, subgroup, setting));
        for (const bool ac : {true, false}) {
            DWORD read = 0xFFFFFFFF;
            EXPECT_EQ(api.ReadValueIndex(ac, *scheme, subgroup, setting, read), 0u);
            EXPECT_EQ(read, v.value) << static_cast<int>(v.setting) << (ac ? " AC" : " DC");
        }
    }
    // No XP scheme: no record, LastID as it was.
    EXPECT_EQ(FindSystemScheme(), -1);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kPowerCfgMachinePath, "LastID"), lastBefore);

    // Again, after a rename by the user: nothing changes.
    const wchar_t renamed[] = L"Mine";
    ASSERT_EQ(api.WriteFriendlyName(*scheme, renamed, sizeof renamed), 0u);
    EXPECT_EQ(CallInitial(), 1);
    int schemes = 0;
    for (GUID g{}; api.EnumerateScheme(static_cast<ULONG>(schemes), g) == 0;) {
        ++schemes;
    }
    EXPECT_EQ(schemes, 4);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, path, "FriendlyName"), "Mine");

    // Deleted behind the suite's back: the next start makes it again.
    ASSERT_EQ(api.DeleteScheme(*scheme), 0u);
    EXPECT_EQ(CallInitial(), 1);
    EXPECT_TRUE(FindSuiteScheme(api));
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, path, "FriendlyName"), "Power Management");
}

TEST_F(Installer, NewUserGetsOnlyTheUserTree) {
    ASSERT_EQ(CallInitial(), 1);
    DeleteKeyTree(HKEY_CURRENT_USER, "SOFTWARE\\TERVANE");
    SchemeStore s;
    ASSERT_TRUE(s.LoadScheme(HKEY_LOCAL_MACHINE, 1));
    std::strcpy(s.mode.NamePolicy, "Edited factory mode");
    s.SaveScheme(HKEY_LOCAL_MACHINE, 1);
    s.WriteReminder(1, 300);

    ASSERT_EQ(CallInitial(), 1);
    EXPECT_EQ(ModeIds(HKEY_CURRENT_USER).size(), 5u);
    EXPECT_EQ(s.ReadLastId(), 4);
    ASSERT_TRUE(s.LoadScheme(HKEY_LOCAL_MACHINE, 1));
    EXPECT_STREQ(s.mode.NamePolicy, "Edited factory mode");
    std::uint32_t msgFlg = 0, nextCycle = 0;
    s.ReadReminder(msgFlg, nextCycle);
    EXPECT_EQ(nextCycle, 300u);
}

TEST_F(Installer, MissingMachineTreeIsRewrittenWithTheReminder) {
    ASSERT_EQ(CallInitial(), 1);
    SchemeStore s;
    ASSERT_TRUE(s.LoadScheme(HKEY_CURRENT_USER, 2));
    std::strcpy(s.mode.NamePolicy, "My balance");
    s.SaveScheme(HKEY_CURRENT_USER, 2);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\TERVANE");
    const int scheme = FindSystemScheme();

    ASSERT_EQ(CallInitial(), 1);
    EXPECT_EQ(ModeIds(HKEY_LOCAL_MACHINE).size(), 5u);
    std::uint32_t msgFlg = 5, nextCycle = 5;
    s.ReadReminder(msgFlg, nextCycle);
    EXPECT_EQ(msgFlg, 0u);
    EXPECT_EQ(nextCycle, 0u);
    ASSERT_TRUE(s.LoadScheme(HKEY_CURRENT_USER, 2));
    EXPECT_STREQ(s.mode.NamePolicy, "My balance");
    EXPECT_EQ(FindSystemScheme(), scheme); // not created twice
}

TEST_F(Installer, FailingPolicyTellsTheUserOnceAndInstallsWithModelZero) {
    SetProfile("load-fails");
    BoxAnswerer boxes;
    ASSERT_EQ(CallInitial(), 1);
    const auto seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "Power Management|The policy of NoteBook load fail.");
    EXPECT_EQ(ModeIds(HKEY_CURRENT_USER).size(), 5u);
    SchemeStore s;
    s.LoadGlobal(HKEY_CURRENT_USER);
    EXPECT_EQ(s.global.PowerButton, 6u);
    EXPECT_EQ(s.global.LidClose, 3u);
}

TEST_F(Installer, PolicyButtonWordMakesButtonsStandBy) {
    SetProfile("default");
    ASSERT_EQ(CallInitial(), 1);
    SchemeStore s;
    s.LoadGlobal(HKEY_CURRENT_USER);
    // The default model's policy asks for stand by on the power button and the lid.
    EXPECT_EQ(s.global.PowerButton, 2u);
    EXPECT_EQ(s.global.LidClose, 2u);
    Uninstall();
    SetProfile("features-off");
    ASSERT_EQ(CallInitial(), 1);
    s.LoadGlobal(HKEY_CURRENT_USER);
    EXPECT_EQ(s.global.PowerButton, 6u);
    EXPECT_EQ(s.global.LidClose, 3u);
}

TEST_F(Installer, WithoutWriteRightsNoWindowsSchemeButTheStoreIsInstalled) {
    SetEmulatorWord("CanUserWritePwrScheme", 0);
    const int lastBefore = WindowsLastId();
    ASSERT_EQ(CallInitial(), 1);
    EXPECT_EQ(FindSystemScheme(), -1);
    EXPECT_EQ(WindowsLastId(), lastBefore);
    EXPECT_EQ(ModeIds(HKEY_CURRENT_USER).size(), 5u);
    SetEmulatorWord("CanUserWritePwrScheme", 1);
    ASSERT_EQ(CallInitial(), 1); // the next call completes it
    EXPECT_GE(FindSystemScheme(), 0);
}

TEST_F(Installer, MissingPolicyLibraryIsLikeAFailingOne) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string dll = std::string(system) + "\\Sarnesh.dll";
    const std::string aside = dll + ".aside";
    ASSERT_TRUE(MoveFileExA(dll.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING));
    {
        BoxAnswerer boxes;
        EXPECT_EQ(CallInitial(), 1);
        EXPECT_EQ(boxes.Seen().size(), 1u);
    }
    MoveFileExA(aside.c_str(), dll.c_str(), MOVEFILE_REPLACE_EXISTING);
    EXPECT_EQ(ModeIds(HKEY_LOCAL_MACHINE).size(), 5u);
}

// Run with a Japanese system locale.
TEST_F(Installer, JapaneseModel25GetsFourModesAndLidStandBy) {
    ASSERT_EQ(GetSystemDefaultLangID(), 0x411) << "run with LC_ALL=ja_JP.UTF-8";
    SetProfile("model25");
    ASSERT_EQ(CallInitial(), 1);
    const std::vector<int> four = {0, 1, 2, 3};
    EXPECT_EQ(ModeIds(HKEY_CURRENT_USER), four);
    EXPECT_EQ(ModeIds(HKEY_LOCAL_MACHINE), four);
    SchemeStore s;
    EXPECT_EQ(s.ReadLastId(), 3);
    s.LoadGlobal(HKEY_CURRENT_USER);
    EXPECT_EQ(s.global.LidClose, 2u);
}

TEST_F(Installer, JapaneseSystemOfAnotherModelKeepsTheDvdMode) {
    ASSERT_EQ(GetSystemDefaultLangID(), 0x411) << "run with LC_ALL=ja_JP.UTF-8";
    SetProfile("features-off");
    ASSERT_EQ(CallInitial(), 1);
    EXPECT_EQ(ModeIds(HKEY_CURRENT_USER).size(), 5u);
    SchemeStore s;
    EXPECT_EQ(s.ReadLastId(), 4);
}
