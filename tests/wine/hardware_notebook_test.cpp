// The hardware control on the emulated notebook itself: Zelnor.dll as the suite links it,
// Sarnesh.dll loaded by name, checked through the machine state and the call journal.
#include "CBrightnessLevel.h"
#include "EmulatorTestSupport.h"
#include "Firmware.h"
#include "PolicyLibrary.h"

using namespace emulator_test;
using namespace hardware;

namespace {

class NotebookTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMachineState();
        PolicyLibrary library;
        ASSERT_TRUE(library.Loaded());
        ASSERT_NE(library.LoadPolicy(), 0);
        policy = library.Policy();
    }
    void TearDown() override { ResetMachineState(); }

    static DWORD StateWord(const char* name) {
        return ReadValue(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, name).Word();
    }

    NotebookPolicy policy;
};

} // namespace

TEST_F(NotebookTest, PolicyLibraryFillsTheRecordTheSuiteReads) {
    EXPECT_EQ(policy.ModelCode(), 0x1A);
    EXPECT_EQ(policy.VersionText(), "EMU 1.20");
    EXPECT_NE(policy.WakeBitsWord(), 0u);
    EXPECT_EQ(policy.Row(0, kSpeedStepProcessor, true)->clock, 1733u);
}

TEST_F(NotebookTest, BrightnessStepsReachThePanel) {
    JournalWatch journal;
    CBrightnessLevel brightness;
    brightness.SetBrightnessLevel(8);
    EXPECT_EQ(StateWord("Brightness"), 12u);
    brightness.SetBrightnessLevel(1);
    EXPECT_EQ(StateWord("Brightness"), 100u);
    EXPECT_EQ(journal.Last("Zelnor", "ControlMethodEx").arguments,
              "code=0x454D4342 method=BCME argument=100");
}

TEST_F(NotebookTest, WakeBitsAreReadModifiedAndWritten) {
    SetStateWord("TKPE", 0x41);
    JournalWatch journal;
    EXPECT_TRUE(SetAutoResume(policy, true));
    EXPECT_EQ(StateWord("TKPE"), 0x61u);
    EXPECT_EQ(journal.Entries("Zelnor", "ControlMethod").size(), 1u);
    EXPECT_TRUE(SetHibernateBit(policy, false));
    EXPECT_TRUE(SetAutoResume(policy, false));
    EXPECT_EQ(StateWord("TKPE"), 0x01u);

    NotebookPolicy withoutWakeBits = policy;
    withoutWakeBits.SetWord(kWakeBitsWordOffset, 0);
    JournalWatch none;
    EXPECT_FALSE(SetHibernateBit(withoutWakeBits, true));
    EXPECT_TRUE(none.Entries("Zelnor", "ControlMethod").empty());
    EXPECT_EQ(StateWord("TKPE"), 0x01u);
}

TEST_F(NotebookTest, FanCycleCountAndProcessorRows) {
    EXPECT_TRUE(ApplyCoolingMethod(policy, 2));
    EXPECT_EQ(StateWord("FanMode"), 0u);
    SetStateWord("ChargeCycles", 345);
    EXPECT_EQ(ReadCycleCount(), 345);

    // Outside XP every row's throttle and clock go to the firmware, as its flags say.
    int checked = 0;
    for (bool speedStep : {true, false}) {
        for (std::uint32_t duty = 1; duty <= 4; ++duty) {
            const auto row =
                policy.Row(static_cast<int>(duty) - 1, ProcessorKindFor(speedStep), false);
            ASSERT_TRUE(row);
            ApplyProcessorSpeed(policy, {.duty = duty, .enhancedSpeedStep = speedStep}, nullptr);
            if (row->flags & kRowSetsClock) {
                EXPECT_EQ(StateWord("ProcessorClock"), row->clock) << "duty " << duty;
                ++checked;
            }
            if (row->flags & kRowSetsThrottle) {
                EXPECT_EQ(StateWord("ProcessorThrottle"), row->throttle) << "duty " << duty;
                ++checked;
            }
        }
    }
    EXPECT_GE(checked, 8);
}
