// Zelnor.dll (linked, as the suite links it) and Sarnesh.dll (loaded by name) of the emulated
// notebook, on the machine state in the session's prefix.
#include <array>

#include "EmulatorTestSupport.h"
#include "NotebookInterfaces.h"
#include "framework/UniqueHandle.h"

using namespace emulator_test;

namespace {

class NotebookTest : public ::testing::Test {
protected:
    void SetUp() override { ResetMachineState(); }
    void TearDown() override { ResetMachineState(); }

    static DWORD StateWord(const char* name) {
        return ReadValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, name).Word();
    }
};

TEST_F(NotebookTest, BrightnessReachesTheStateAndTheJournal) {
    JournalWatch journal;
    EXPECT_EQ(ControlMethodEx(notebook::kMethodBrightness, 87), 87);
    EXPECT_EQ(StateWord("Brightness"), 87u);

    const auto entry = journal.Last("Zelnor", "ControlMethodEx");
    EXPECT_EQ(entry.arguments, "code=0x454D4342 method=BCME argument=87");
    EXPECT_EQ(entry.result, "87");
}

TEST_F(NotebookTest, ProcessorAndFanSettersAreRecorded) {
    EXPECT_EQ(ControlMethodEx(notebook::kMethodClock, 1066), 0);
    EXPECT_EQ(ControlMethodEx(notebook::kMethodThrottle, 4), 0);
    EXPECT_EQ(ControlMethodEx(notebook::kMethodFanMode, 0), 0);
    EXPECT_EQ(StateWord("ProcessorClock"), 1066u);
    EXPECT_EQ(StateWord("ProcessorThrottle"), 4u);
    EXPECT_EQ(StateWord("FanMode"), 0u);
}

TEST_F(NotebookTest, WakeBitsAreReadAndWrittenAsTheSuiteDoes) {
    SetStateWord("TKPE", 0x41);
    const int bits = ControlMethod(notebook::kMethodWakeBits);
    EXPECT_EQ(bits, 0x41);
    EXPECT_NE(ControlMethodEx(notebook::kMethodWakeBitsWrite,
                              static_cast<unsigned>(bits) | notebook::kWakeBitAutoResume),
              -1);
    EXPECT_EQ(StateWord("TKPE"), 0x61u);
    EXPECT_EQ(ControlMethodEx(notebook::kMethodWakeBits, 1), 0x61);
    EXPECT_EQ(ControlMethodEx(notebook::kMethodWakeBitsWrite, 0x1FF), -1);
    EXPECT_EQ(StateWord("TKPE"), 0x61u);
}

TEST_F(NotebookTest, CycleCountFollowsTheState) {
    EXPECT_EQ(ControlMethodEx(notebook::kMethodCycleCount, 0), 12);
    SetStateWord("ChargeCycles", 345);
    EXPECT_EQ(ControlMethodEx(notebook::kMethodCycleCount, 0), 345);
}

TEST_F(NotebookTest, UnknownCodesFailAndAreJournalled) {
    JournalWatch journal;
    EXPECT_EQ(ControlMethod(0x41424344), -1);
    EXPECT_EQ(ControlMethodEx(0x41424344, 9), -1);
    const auto entries = journal.Entries("Zelnor", "ControlMethodEx");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].arguments, "code=0x41424344 method=unknown argument=9");
    EXPECT_EQ(journal.Last("Zelnor", "ControlMethod").result, "-1");
}

class PolicyLibraryTest : public NotebookTest {
protected:
    void SetUp() override {
        NotebookTest::SetUp();
        ASSERT_TRUE(module_);
        ASSERT_NE(getPolicy_, nullptr);
    }

    static void SetProfile(const char* name) {
        PutText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "ModelProfile", name);
    }

    static std::uint32_t Word(const std::array<BYTE, notebook::kPolicySize>& r, std::size_t at) {
        std::uint32_t value = 0;
        std::memcpy(&value, &r[at], sizeof value);
        return value;
    }

    framework::UniqueModule module_{::LoadLibraryA("Sarnesh.dll")};
    notebook::GetKvPolicyFn getPolicy_ = framework::ProcAddress<notebook::GetKvPolicyFn>(module_.Get(), "GetKvPolicy");
};

TEST_F(PolicyLibraryTest, DefaultProfileFillsTheRecord) {
    JournalWatch journal;
    std::array<BYTE, notebook::kPolicySize> record{};
    EXPECT_NE(getPolicy_(record.data()), 0);
    EXPECT_EQ(record[4], 0x1A);
    EXPECT_STREQ(reinterpret_cast<const char*>(&record[5]), "EMU 1.20");
    EXPECT_EQ(Word(record, 28), 1u);
    EXPECT_EQ(Word(record, 444), 1u);
    EXPECT_EQ(Word(record, 120 + 132), 1733u); // XP, Enhanced SpeedStep, Full
    const auto entry = journal.Last("Sarnesh", "GetKvPolicy");
    EXPECT_EQ(entry.arguments, "policy=set profile=default");
    EXPECT_EQ(entry.result, "1");
}

TEST_F(PolicyLibraryTest, ProfilesAreSwitchedThroughTheState) {
    std::array<BYTE, notebook::kPolicySize> record{};
    SetProfile("model25");
    EXPECT_NE(getPolicy_(record.data()), 0);
    EXPECT_EQ(record[4], 0x25);
    EXPECT_EQ(Word(record, 40), 0u);

    SetProfile("features-off");
    EXPECT_NE(getPolicy_(record.data()), 0);
    EXPECT_EQ(Word(record, 32), 0u);
    EXPECT_EQ(Word(record, 444), 0u);
}

TEST_F(PolicyLibraryTest, FailingLoadAndNullRecordReturnZero) {
    SetProfile("load-fails");
    std::array<BYTE, notebook::kPolicySize> record;
    record.fill(0xEE);
    EXPECT_EQ(getPolicy_(record.data()), 0);
    EXPECT_EQ(record[4], 0xEE);

    SetProfile("default");
    EXPECT_EQ(getPolicy_(nullptr), 0);
}

} // namespace
