// The Windows power-policy bridge: the power library binding, the raw policy records in the
// real registry of the test prefix, and the mapping of the suite's settings onto them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PartialPowerLibrary.h"
#include "PolicyApply.h"
#include "PolicyMapping.h"
#include "PolicyRecords.h"
#include "PowerApi.h"
#include "RegistryKey.h"
#include "VersionClass.h"
#include "WindowsVersion.h"

using namespace store;

namespace {

// A scheme number well above what Wine or the installer tests use.
constexpr int kScheme = 37;
constexpr char kMissingLibrary[] = "no_such_power_library.dll";

// ---------------------------------------------------------------------------------------------
// Registry helpers that bypass the code under test.

struct RawValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

RawValue ReadRaw(HKEY root, const std::string& path) {
    RawValue v;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return v;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, kPolicyValueName, nullptr, &v.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        v.present = true;
        v.data.resize(size);
        RegQueryValueExA(key, kPolicyValueName, nullptr, &v.type, v.data.data(), &size);
    }
    RegCloseKey(key);
    return v;
}

void WriteRaw(HKEY root, const std::string& path, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExA(key, kPolicyValueName, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void CreateKey(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
}

// Puts a key back as it was found: removed if it did not exist, its value restored if it did.
class KeyGuard {
public:
    KeyGuard(HKEY root, std::string path)
        : root_(root), path_(std::move(path)), existed_(KeyExists(root_, path_)),
          saved_(ReadRaw(root_, path_)) {}
    ~KeyGuard() { Restore(); }
    KeyGuard(const KeyGuard&) = delete;
    KeyGuard& operator=(const KeyGuard&) = delete;

    void Remove() { DeleteKeyTree(root_, path_); }
    void Restore() {
        if (!existed_) {
            Remove();
            return;
        }
        if (saved_.present) {
            WriteRaw(root_, path_, saved_.type, saved_.data.data(),
                     static_cast<DWORD>(saved_.data.size()));
        } else {
            HKEY key = nullptr;
            if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, kPolicyValueName);
                RegCloseKey(key);
            }
        }
    }

private:
    HKEY root_;
    std::string path_;
    bool existed_;
    RawValue saved_;
};

template <typename Record>
std::vector<BYTE> Bytes(const Record& record) {
    const auto* p = reinterpret_cast<const BYTE*>(&record);
    return std::vector<BYTE>(p, p + sizeof record);
}

template <typename Record>
Record Pattern(BYTE seed) {
    Record record;
    auto* p = reinterpret_cast<BYTE*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i) {
        p[i] = static_cast<BYTE>(seed + i);
    }
    return record;
}

// Actions are stored as words; read them back the same way.
std::uint32_t Word(const POWER_ACTION& action) {
    std::uint32_t value = 0;
    std::memcpy(&value, &action, sizeof value);
    return value;
}

// ---------------------------------------------------------------------------------------------
// The five raw records, described once so that every accessor gets the same checks.

struct RecordCase {
    const char* name;
    HKEY root;
    HKEY otherRoot;
    std::string path;
    DWORD size;
    bool perScheme;
    // Calls the accessor on a buffer of `size` bytes.
    std::function<bool(void*, int, bool)> access;
};

std::vector<RecordCase> RecordCases() {
    return {
        {"UserPolicy", HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, UserPolicyPath(kScheme), 80, true,
         [](void* b, int n, bool w) {
             return UserPolicyRecord(*static_cast<USER_POWER_POLICY*>(b), n, w);
         }},
        {"MachinePolicy", HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, MachinePolicyPath(kScheme), 64,
         true,
         [](void* b, int n, bool w) {
             return MachinePolicyRecord(*static_cast<MACHINE_POWER_POLICY*>(b), n, w);
         }},
        {"GlobalUserPolicy", HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, kGlobalUserPolicyPath, 176,
         false,
         [](void* b, int, bool w) {
             return GlobalUserPolicyRecord(*static_cast<GLOBAL_USER_POWER_POLICY*>(b), w);
         }},
        {"GlobalMachinePolicy", HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, kGlobalMachinePolicyPath, 16,
         false,
         [](void* b, int, bool w) {
             return GlobalMachinePolicyRecord(*static_cast<GLOBAL_MACHINE_POWER_POLICY*>(b), w);
         }},
        {"ProcessorPolicy", HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, ProcessorPolicyPath(kScheme),
         156, true,
         [](void* b, int n, bool w) {
             return ProcessorPolicyRecord(*static_cast<MACHINE_PROCESSOR_POWER_POLICY*>(b), n, w);
         }},
    };
}

// A record buffer with guard bytes behind it, to see a read that goes past the record.
struct GuardedBuffer {
    explicit GuardedBuffer(DWORD size, BYTE fill) : bytes(size + kGuard, fill), size_(size) {}
    void* Data() { return bytes.data(); }
    bool GuardIntact(BYTE fill) const {
        for (std::size_t i = size_; i < bytes.size(); ++i) {
            if (bytes[i] != fill) {
                return false;
            }
        }
        return true;
    }
    std::vector<BYTE> Record() const { return {bytes.begin(), bytes.begin() + size_}; }

    static constexpr DWORD kGuard = 64;
    std::vector<BYTE> bytes;

private:
    DWORD size_;
};

class RawRecords : public ::testing::Test {
protected:
    void SetUp() override {
        for (const RecordCase& c : RecordCases()) {
            guards_.push_back(std::make_unique<KeyGuard>(c.root, c.path));
            guards_.back()->Remove();
        }
    }
    void TearDown() override { guards_.clear(); }

    std::vector<std::unique_ptr<KeyGuard>> guards_;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Raw records

TEST_F(RawRecords, WriteStoresExactlyTheRecordAsBinaryInItsOwnHive) {
    for (const RecordCase& c : RecordCases()) {
        SCOPED_TRACE(c.name);
        CreateKey(c.root, c.path);
        // An older, longer value must be replaced by one of exactly the record's size.
        std::vector<BYTE> longer(c.size + 40, 0xEE);
        WriteRaw(c.root, c.path, REG_BINARY, longer.data(), static_cast<DWORD>(longer.size()));

        GuardedBuffer out(c.size, 0);
        for (DWORD i = 0; i < c.size; ++i) {
            out.bytes[i] = static_cast<BYTE>(i * 7 + 1);
        }
        EXPECT_TRUE(c.access(out.Data(), kScheme, true));

        const RawValue v = ReadRaw(c.root, c.path);
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(v.data, out.Record());
        EXPECT_FALSE(KeyExists(c.otherRoot, c.path));
    }
}

TEST_F(RawRecords, ReadFillsTheRecordAndNothingBehindIt) {
    for (const RecordCase& c : RecordCases()) {
        SCOPED_TRACE(c.name);
        std::vector<BYTE> stored(c.size);
        for (DWORD i = 0; i < c.size; ++i) {
            stored[i] = static_cast<BYTE>(0x80 ^ i);
        }
        WriteRaw(c.root, c.path, REG_BINARY, stored.data(), c.size);

        GuardedBuffer in(c.size, 0xCC);
        EXPECT_TRUE(c.access(in.Data(), kScheme, false));
        EXPECT_EQ(in.Record(), stored);
        EXPECT_TRUE(in.GuardIntact(0xCC));
    }
}

TEST_F(RawRecords, MissingKeyIsNeitherReadNorCreated) {
    for (const RecordCase& c : RecordCases()) {
        SCOPED_TRACE(c.name);
        GuardedBuffer buffer(c.size, 0x5A);
        EXPECT_FALSE(c.access(buffer.Data(), kScheme, false));
        EXPECT_FALSE(c.access(buffer.Data(), kScheme, true));
        EXPECT_FALSE(KeyExists(c.root, c.path));
        EXPECT_EQ(buffer.Record(), std::vector<BYTE>(c.size, 0x5A));
    }
}

TEST_F(RawRecords, ExistingKeyWithoutValueReadsAsFoundAndLeavesTheBuffer) {
    for (const RecordCase& c : RecordCases()) {
        SCOPED_TRACE(c.name);
        CreateKey(c.root, c.path);
        GuardedBuffer buffer(c.size, 0x5A);
        EXPECT_TRUE(c.access(buffer.Data(), kScheme, false));
        EXPECT_EQ(buffer.Record(), std::vector<BYTE>(c.size, 0x5A));
    }
}

TEST_F(RawRecords, NegativeSchemeNumberNamesNoKey) {
    for (const RecordCase& c : RecordCases()) {
        if (!c.perScheme) {
            continue;
        }
        SCOPED_TRACE(c.name);
        GuardedBuffer buffer(c.size, 0);
        EXPECT_FALSE(c.access(buffer.Data(), -1, true));
        EXPECT_FALSE(c.access(buffer.Data(), -1, false));
    }
    EXPECT_EQ(UserPolicyPath(-1), "");
    EXPECT_EQ(UserPolicyPath(3), "Control Panel\\PowerCfg\\PowerPolicies\\3");
    EXPECT_EQ(MachinePolicyPath(3), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls "
                                    "Folder\\PowerCfg\\PowerPolicies\\3");
    EXPECT_EQ(ProcessorPolicyPath(12), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls "
                                       "Folder\\PowerCfg\\ProcessorPolicies\\12");
}

TEST_F(RawRecords, LargerOrWronglyTypedValueLeavesTheBufferAlone) {
    for (const RecordCase& c : RecordCases()) {
        SCOPED_TRACE(c.name);
        std::vector<BYTE> larger(c.size + GuardedBuffer::kGuard, 0x11);
        WriteRaw(c.root, c.path, REG_BINARY, larger.data(), static_cast<DWORD>(larger.size()));
        GuardedBuffer buffer(c.size, 0x5A);
        EXPECT_TRUE(c.access(buffer.Data(), kScheme, false));
        EXPECT_EQ(buffer.bytes, std::vector<BYTE>(buffer.bytes.size(), 0x5A));

        std::vector<BYTE> text(c.size, 'x');
        text.back() = 0;
        WriteRaw(c.root, c.path, REG_SZ, text.data(), c.size);
        EXPECT_TRUE(c.access(buffer.Data(), kScheme, false));
        EXPECT_EQ(buffer.bytes, std::vector<BYTE>(buffer.bytes.size(), 0x5A));

        const DWORD word = 0x01020304;
        WriteRaw(c.root, c.path, REG_DWORD, &word, sizeof word);
        EXPECT_TRUE(c.access(buffer.Data(), kScheme, false));
        EXPECT_EQ(buffer.bytes, std::vector<BYTE>(buffer.bytes.size(), 0x5A));
    }
}

TEST_F(RawRecords, ShorterValueFillsOnlyItsOwnBytes) {
    for (const RecordCase& c : RecordCases()) {
        SCOPED_TRACE(c.name);
        const BYTE shortValue[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        WriteRaw(c.root, c.path, REG_BINARY, shortValue, sizeof shortValue);
        GuardedBuffer buffer(c.size, 0x5A);
        EXPECT_TRUE(c.access(buffer.Data(), kScheme, false));
        std::vector<BYTE> expected(c.size, 0x5A);
        std::memcpy(expected.data(), shortValue, sizeof shortValue);
        EXPECT_EQ(buffer.Record(), expected);
        EXPECT_TRUE(buffer.GuardIntact(0x5A));
    }
}

// ---------------------------------------------------------------------------------------------
// Mapping in memory

namespace {

PowerSaveMode ModeWith(std::uint32_t standby, std::uint32_t hibernate) {
    PowerSaveMode mode;
    for (int c = 0; c < kColumns; ++c) {
        mode.Panel[c] = 13; // 300 s
        mode.HDD[c] = 8;    // 1800 s
        mode.Standby[c] = standby;
        mode.Hibernate[c] = hibernate;
    }
    return mode;
}

struct ModeRecords {
    USER_POWER_POLICY user = Pattern<USER_POWER_POLICY>(0x21);
    MACHINE_POWER_POLICY machine = Pattern<MACHINE_POWER_POLICY>(0x43);
};

GlobalPowerSettings SampleGlobal() {
    GlobalPowerSettings s;
    s.PowerButton = kActionShutdownOff;
    s.SleepButton = kActionSleep;
    s.LidClose = kActionHibernate;
    s.PasswordLogonEnable = 0;
    s.CriticalAlarm = {0x101, 3, kActionHibernate, 0x77, 0x3, 0x55};
    s.LowAlarm = {0, 10, kActionNone, 0x66, 0x1, 0x44};
    return s;
}

} // namespace

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

// ---------------------------------------------------------------------------------------------
// The power library binding

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
