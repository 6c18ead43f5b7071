// The scheme store against the real registry of the test prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "RegistryKey.h"
#include "SchemeStore.h"

using namespace store;

namespace {

const std::string kUserModes = std::string(kBasePath) + "\\PowerPolicy";
const std::string kMachineModes = std::string(kBasePath) + "\\Default\\PowerPolicy";

void Clean() {
    DeleteKeyTree(HKEY_CURRENT_USER, "SOFTWARE\\TERVANE");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\TERVANE");
}

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

RawValue Raw(HKEY root, const std::string& path, const char* name) {
    RawValue v;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return v;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
        v.data.resize(size);
        RegQueryValueExA(key, name, nullptr, &v.type, v.data.data(), &size);
    }
    RegCloseKey(key);
    return v;
}

void Put(HKEY root, const std::string& path, const char* name, DWORD type, const void* data,
         DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

bool KeyExists(HKEY root, const std::string& path) {
    RegistryKey key(root);
    return key.Exists(path);
}

SchemeStore SampleMode() {
    SchemeStore s;
    s.mode.ACPlug_IN = 0;
    s.mode.DefaultScheme = 2;
    for (int c = 0; c < kColumns; ++c) {
        s.mode.CPU_Duty[c] = 1 + c;
        s.mode.Brightnes[c] = 5 + c;
        s.mode.Panel[c] = 13 + c;
        s.mode.HDD[c] = 10 + c;
        s.mode.Standby[c] = 12;
        s.mode.Hibernate[c] = 7;
    }
    std::strcpy(s.mode.NamePolicy, "Normal");
    std::strcpy(s.mode.DescriptionPolicy, "Balanced.");
    std::strcpy(s.mode.ICON, "VoVOZI.dll,3");
    std::strcpy(s.mode.LinkedProgram, "C:\\Program Files\\Player\\play.exe");
    return s;
}

class Store : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
};

} // namespace

TEST_F(Store, ModeRoundTripsInBothHivesAtTheirOwnPaths) {
    SchemeStore out = SampleMode();
    out.SaveScheme(HKEY_CURRENT_USER, 7);
    out.mode.DefaultScheme = 3;
    out.SaveScheme(HKEY_LOCAL_MACHINE, 7);

    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserModes + "\\7"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachineModes + "\\7"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMachineModes + "\\7"));

    SchemeStore in;
    ASSERT_TRUE(in.LoadScheme(HKEY_CURRENT_USER, 7));
    EXPECT_EQ(in.mode.id, 7);
    EXPECT_EQ(in.mode.DefaultScheme, 2u);
    EXPECT_EQ(0, std::memcmp(in.mode.Panel, out.mode.Panel, sizeof in.mode.Panel));
    EXPECT_STREQ(in.mode.NamePolicy, "Normal");
    EXPECT_STREQ(in.mode.LinkedProgram, "C:\\Program Files\\Player\\play.exe");
    ASSERT_TRUE(in.LoadScheme(HKEY_LOCAL_MACHINE, 7));
    EXPECT_EQ(in.mode.DefaultScheme, 3u);
}

TEST_F(Store, ModeValuesHaveTheirRegistryTypesAndWidths) {
    SampleMode().SaveScheme(HKEY_CURRENT_USER, 0);
    const std::string path = kUserModes + "\\0";
    for (const char* name : {"CPU_Duty", "Brightnes", "Panel", "HDD", "Standby", "Hibernate"}) {
        RawValue v = Raw(HKEY_CURRENT_USER, path, name);
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_BINARY)) << name;
        EXPECT_EQ(v.data.size(), 16u) << name;
    }
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, path, "Brightness").type, static_cast<DWORD>(REG_NONE));
    RawValue duty = Raw(HKEY_CURRENT_USER, path, "CPU_Duty");
    const BYTE little[16] = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(duty.data.data(), little, 16));
    for (const char* name : {"ACPlug_IN", "DefaultScheme"}) {
        RawValue v = Raw(HKEY_CURRENT_USER, path, name);
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD)) << name;
        EXPECT_EQ(v.data.size(), 4u) << name;
    }
    RawValue icon = Raw(HKEY_CURRENT_USER, path, "ICON");
    EXPECT_EQ(icon.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(icon.data.size(), std::strlen("VoVOZI.dll,3") + 1);
}

TEST_F(Store, MissingModeLoadsAsFalseWithACleanRecord) {
    SchemeStore s = SampleMode();
    EXPECT_FALSE(s.LoadScheme(HKEY_CURRENT_USER, 3));
    EXPECT_EQ(s.mode.ACPlug_IN, 0u);
    EXPECT_EQ(s.mode.CPU_Duty[0], 0u);
    EXPECT_EQ(s.mode.Hibernate[3], 0u);
    EXPECT_STREQ(s.mode.NamePolicy, "");
    EXPECT_STREQ(s.mode.LinkedProgram, "");
}

TEST_F(Store, GlobalSettingsRoundTripAndAlarmsAre24Bytes) {
    SchemeStore out;
    out.global.PwrSchemeAC = 0;
    out.global.PwrSchemeDC = 2;
    out.global.HibernateEnable = 1;
    out.global.PowerButton = 6;
    out.global.LidClose = 3;
    out.global.CoolingMethod = 2;
    out.global.LowAlarm = {1, 10, 0, 0, 3, 0};
    out.global.CriticalAlarm = {1, 3, 3, 0, 3, 0};
    out.SaveGlobal(HKEY_CURRENT_USER);
    out.SaveGlobal(HKEY_LOCAL_MACHINE);

    const std::string userPath = std::string(kBasePath) + "\\GlobalPowerPolicy";
    const std::string machinePath = std::string(kBasePath) + "\\Default\\GlobalPowerPolicy";
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, userPath, "LowAlarm").data.size(), 24u);
    EXPECT_EQ(Raw(HKEY_LOCAL_MACHINE, machinePath, "CriticalAlarm").data.size(), 24u);
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, userPath, "AutoResume").type, static_cast<DWORD>(REG_DWORD));

    SchemeStore in;
    in.LoadGlobal(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(in.global.PwrSchemeDC, 2u);
    EXPECT_EQ(in.global.PowerButton, 6u);
    EXPECT_EQ(in.global.CoolingMethod, 2u);
    EXPECT_EQ(in.global.CriticalAlarm.Action, 3u);
    EXPECT_EQ(in.global.LowAlarm.Notify, 3u);
}

TEST_F(Store, DamagedValuesLeaveTheirFieldsCleared) {
    const std::string globalPath = std::string(kBasePath) + "\\GlobalPowerPolicy";
    Put(HKEY_CURRENT_USER, globalPath, "PwrSchemeDC", REG_SZ, "2", 2); // a word stored as text
    const DWORD lidClose = 3;
    Put(HKEY_CURRENT_USER, globalPath, "LidClose", REG_DWORD, &lidClose, 4);
    const std::vector<BYTE> alarm23(23, 0x11), alarm25(25, 0x22);
    Put(HKEY_CURRENT_USER, globalPath, "LowAlarm", REG_BINARY, alarm23.data(), 23);
    Put(HKEY_CURRENT_USER, globalPath, "CriticalAlarm", REG_BINARY, alarm25.data(), 25);

    SchemeStore s;
    s.global.PwrSchemeDC = 9;
    s.LoadGlobal(HKEY_CURRENT_USER);
    EXPECT_EQ(s.global.PwrSchemeDC, 0u);
    EXPECT_EQ(s.global.LidClose, 3u);
    EXPECT_EQ(s.global.LowAlarm.Enable, 0u);
    EXPECT_EQ(s.global.LowAlarm.Level, 0u);
    EXPECT_EQ(s.global.CriticalAlarm.MinState, 0u);

    const std::string modePath = kUserModes + "\\1";
    const BYTE three[3] = {1, 2, 3};
    Put(HKEY_CURRENT_USER, modePath, "Panel", REG_BINARY, three, 3);
    const std::string huge(10 * 1024, 'x');
    Put(HKEY_CURRENT_USER, modePath, "NamePolicy", REG_SZ, huge.c_str(),
        static_cast<DWORD>(huge.size() + 1));
    const std::string exact(199, 'y'); // the longest text the field holds
    Put(HKEY_CURRENT_USER, modePath, "ICON", REG_SZ, exact.c_str(), 200);
    const char unterminated[200] = {'z'};
    Put(HKEY_CURRENT_USER, modePath, "LinkedProgram", REG_SZ, unterminated, 1);
    const BYTE duty[16] = {2, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0};
    Put(HKEY_CURRENT_USER, modePath, "CPU_Duty", REG_DWORD, duty, 16); // right size, wrong type

    ASSERT_TRUE(s.LoadScheme(HKEY_CURRENT_USER, 1));
    EXPECT_EQ(s.mode.Panel[0], 0u);
    EXPECT_EQ(s.mode.CPU_Duty[0], 0u);
    EXPECT_STREQ(s.mode.NamePolicy, "");
    EXPECT_EQ(std::string(s.mode.ICON), exact);
    EXPECT_STREQ(s.mode.LinkedProgram, "z");
}

TEST_F(Store, DeleteSchemeRemovesNestedSubkeys) {
    SampleMode().SaveScheme(HKEY_CURRENT_USER, 2);
    SampleMode().SaveScheme(HKEY_CURRENT_USER, 3);
    const DWORD one = 1;
    Put(HKEY_CURRENT_USER, kUserModes + "\\2\\Extra\\Deeper", "X", REG_DWORD, &one, 4);
    Put(HKEY_CURRENT_USER, kUserModes + "\\2\\Other", "Y", REG_DWORD, &one, 4);

    SchemeStore s;
    s.DeleteScheme(HKEY_CURRENT_USER, 2);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserModes + "\\2"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserModes + "\\3"));
    s.DeleteScheme(HKEY_CURRENT_USER, 2); // already gone: nothing to do, nothing breaks
}

namespace {

// A key that is listed under its parent but refuses every access: an empty access list.
void LockKey(const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, WRITE_DAC, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ACL acl;
    InitializeAcl(&acl, sizeof acl, ACL_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd), ERROR_SUCCESS);
    RegCloseKey(key);
}

void UnlockKey(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) {
        return;
    }
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE); // no list: everyone may do anything
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    RegCloseKey(key);
}

DWORD WINAPI DeleteModesTree(void*) {
    return DeleteKeyTree(HKEY_CURRENT_USER, kUserModes + "\\2") ? 1 : 0;
}

} // namespace

TEST_F(Store, DeletionStopsAtASubkeyThatRefusesAccess) {
    SampleMode().SaveScheme(HKEY_CURRENT_USER, 2);
    // Locked and with a subkey of its own: it can be neither listed nor removed.
    const std::string locked = kUserModes + "\\2\\Locked";
    const DWORD one = 1;
    Put(HKEY_CURRENT_USER, locked + "\\Inner", "X", REG_DWORD, &one, 4);
    LockKey(locked);
    HKEY probe = nullptr;
    ASSERT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, locked.c_str(), 0, KEY_QUERY_VALUE, &probe),
              ERROR_SUCCESS)
        << "the key must refuse access for this test to mean anything";

    // A deletion that looped for ever on the locked key would keep this thread running.
    HANDLE thread = CreateThread(nullptr, 0, &DeleteModesTree, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const DWORD waited = WaitForSingleObject(thread, 5000);
    DWORD removed = 2;
    GetExitCodeThread(thread, &removed);
    if (waited != WAIT_OBJECT_0) {
        TerminateThread(thread, 3);
    }
    CloseHandle(thread);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the deletion did not stop";
    EXPECT_EQ(removed, 0u);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserModes + "\\2"));

    UnlockKey(locked);
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, kUserModes + "\\2"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserModes + "\\2"));
}

TEST_F(Store, StoredModeIdsWalkTheKeysUpToLastId) {
    for (int id : {1500, 0, 5}) {
        SampleMode().SaveScheme(HKEY_CURRENT_USER, id);
    }
    const DWORD one = 1;
    for (const char* stray : {"\\007", "\\x", "\\-1"}) {
        Put(HKEY_CURRENT_USER, kUserModes + stray, "X", REG_DWORD, &one, 4);
    }
    SchemeStore s;
    EXPECT_EQ(s.StoredModeIds(HKEY_CURRENT_USER, 2000), (std::vector<int>{0, 5, 1500}));
    EXPECT_EQ(s.StoredModeIds(HKEY_CURRENT_USER, 1499), (std::vector<int>{0, 5}));
    EXPECT_EQ(s.StoredModeIds(HKEY_CURRENT_USER, 2147483647), (std::vector<int>{0, 5, 1500}));
    EXPECT_TRUE(s.StoredModeIds(HKEY_CURRENT_USER, -1).empty());
    EXPECT_TRUE(s.StoredModeIds(HKEY_LOCAL_MACHINE, 2000).empty());
}

TEST_F(Store, CopyFromTakesContentButNotTheEditFlags) {
    SchemeStore source = SampleMode();
    source.mode.id = 4;
    source.imageIndex = 6;
    source.modified = 1;
    source.deleted = 1;
    source.global.LidClose = 2;
    SchemeStore copy;
    copy.CopyFrom(source);
    EXPECT_EQ(copy.mode.id, 4);
    EXPECT_EQ(copy.imageIndex, 6);
    EXPECT_EQ(copy.modified, 0);
    EXPECT_EQ(copy.deleted, 0);
    EXPECT_EQ(copy.global.LidClose, 2u);
    EXPECT_STREQ(copy.mode.ICON, "VoVOZI.dll,3");
}

TEST_F(Store, LastIdIsMinusOneUntilWritten) {
    SchemeStore s;
    EXPECT_EQ(s.ReadLastId(), -1);
    EXPECT_TRUE(s.WriteLastId(4));
    EXPECT_EQ(s.ReadLastId(), 4);
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, kUserModes, "LastID").type, static_cast<DWORD>(REG_DWORD));
    Put(HKEY_CURRENT_USER, kUserModes, "LastID", REG_SZ, "4", 2);
    EXPECT_EQ(s.ReadLastId(), -1);
}

TEST_F(Store, ReminderNeedsTheMachineKeyAndKeepsMissingValues) {
    SchemeStore s;
    s.WriteReminder(1, 50); // no key yet: nothing is created
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kReminderPath));

    std::uint32_t msgFlg = 7, nextCycle = 8;
    s.ReadReminder(msgFlg, nextCycle);
    EXPECT_EQ(msgFlg, 7u);
    EXPECT_EQ(nextCycle, 8u);

    s.SaveGlobal(HKEY_LOCAL_MACHINE); // creates the base key
    s.WriteReminder(1, 50);
    s.ReadReminder(msgFlg, nextCycle);
    EXPECT_EQ(msgFlg, 1u);
    EXPECT_EQ(nextCycle, 50u);
}

namespace {

class WindowsSchemes : public ::testing::Test {
protected:
    const std::string cfg = kPowerCfgMachinePath;
    // Values of the prefix's own power configuration that the tests change and put back.
    std::map<std::string, RawValue> saved;

    void SetUp() override {
        for (const char* name : {"LastID", "DiskSpinDownMax", "DiskSpinDownMin"}) {
            saved[name] = Raw(HKEY_LOCAL_MACHINE, cfg, name);
        }
        DeleteKeyTree(HKEY_CURRENT_USER, std::string(kUserSchemesPath) + "\\40");
        DeleteKeyTree(HKEY_CURRENT_USER, std::string(kUserSchemesPath) + "\\41");
    }
    void TearDown() override {
        DeleteKeyTree(HKEY_CURRENT_USER, std::string(kUserSchemesPath) + "\\40");
        DeleteKeyTree(HKEY_CURRENT_USER, std::string(kUserSchemesPath) + "\\41");
        for (const auto& [name, value] : saved) {
            if (value.type == REG_NONE) {
                HKEY key = nullptr;
                if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, cfg.c_str(), 0, KEY_SET_VALUE, &key) == 0) {
                    RegDeleteValueA(key, name.c_str());
                    RegCloseKey(key);
                }
            } else {
                Put(HKEY_LOCAL_MACHINE, cfg, name.c_str(), value.type, value.data.data(),
                    static_cast<DWORD>(value.data.size()));
            }
        }
    }
    void LastId(const char* text) {
        Put(HKEY_LOCAL_MACHINE, cfg, "LastID", REG_SZ, text, static_cast<DWORD>(strlen(text) + 1));
    }
    void Scheme(int n, const char* name) {
        Put(HKEY_CURRENT_USER, std::string(kUserSchemesPath) + "\\" + std::to_string(n), "Name",
            REG_SZ, name, static_cast<DWORD>(strlen(name) + 1));
    }
};

} // namespace

TEST_F(WindowsSchemes, FindsTheSchemeOnlyUpToLastId) {
    Scheme(41, "Power Management");
    LastId("40");
    EXPECT_EQ(FindSystemScheme(), -1);
    LastId("41");
    EXPECT_EQ(FindSystemScheme(), 41);
    Scheme(40, "Power Management");
    EXPECT_EQ(FindSystemScheme(), 40); // the lowest number wins
}

TEST_F(WindowsSchemes, NameMustMatchExactlyAndLastIdMustBeANumber) {
    Scheme(40, "power management");
    Scheme(41, "Power Management ");
    LastId("41");
    EXPECT_EQ(FindSystemScheme(), -1);
    Scheme(41, "Power Management");
    LastId("-1");
    EXPECT_EQ(FindSystemScheme(), -1);
    LastId("forty");
    EXPECT_EQ(FindSystemScheme(), -1);
    LastId("2147483647"); // a huge bound is harmless
    EXPECT_EQ(FindSystemScheme(), 41);
}

TEST_F(WindowsSchemes, DiskSpinDownRangeInSeconds) {
    Put(HKEY_LOCAL_MACHINE, cfg, "DiskSpinDownMax", REG_SZ, "3600", 5);
    Put(HKEY_LOCAL_MACHINE, cfg, "DiskSpinDownMin", REG_SZ, "3", 2);
    SchemeStore s;
    std::uint32_t max = 1, min = 1;
    s.ReadDiskSpinDownRange(max, min);
    EXPECT_EQ(max, 216000u);
    EXPECT_EQ(min, 180u);
    Put(HKEY_LOCAL_MACHINE, cfg, "DiskSpinDownMin", REG_DWORD, &max, 4);
    s.ReadDiskSpinDownRange(max, min);
    EXPECT_EQ(min, 0u);
}

TEST(SystemError, TextComesFromTheSystemTable) {
    std::string text = SystemErrorText(ERROR_FILE_NOT_FOUND);
    for (char& c : text) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_NE(text.find("file"), std::string::npos) << text;
    EXPECT_FALSE(SystemErrorText(0xDEADBEEF).empty());
}
