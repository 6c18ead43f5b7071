// The Windows power-policy bridge's raw policy records in the real registry of the test prefix:
// each of the five read and written exactly, and nothing beyond it.
#include "PowerBridgeTest.h"

using namespace bridge_test;

namespace {

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
