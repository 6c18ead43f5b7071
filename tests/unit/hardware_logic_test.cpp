#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "BatteryLogic.h"
#include "FirmwareLogic.h"
#include "NotebookPolicy.h"

using namespace hardware;

namespace {

// Every processor word holds its own byte offset, so a value read back names its place.
NotebookPolicy OffsetTaggedPolicy() {
    NotebookPolicy policy;
    for (std::size_t offset = 56; offset + 4 <= kNotebookPolicySize; offset += 4) {
        policy.SetWord(offset, static_cast<std::uint32_t>(offset));
    }
    policy.SetWord(kProcessorWordOffset, 1);
    return policy;
}

void SetRowFlags(NotebookPolicy& policy, int row, int kind, bool xp, std::uint32_t flags) {
    policy.SetWord(*ProcessorRowOffset(row, kind, xp) + 8, flags);
}

} // namespace

TEST(NotebookPolicy, WordsAreLittleEndianAndBoundedByTheRecord) {
    NotebookPolicy policy;
    const std::uint8_t word[] = {0x78, 0x56, 0x34, 0x12};
    std::memcpy(policy.Data() + 32, word, 4);
    EXPECT_EQ(policy.ProcessorWord(), 0x12345678u);
    policy.Data()[4] = 0x25;
    EXPECT_EQ(policy.ModelCode(), 0x25);

    policy.SetWord(444, 0xA1B2C3D4);
    EXPECT_EQ(policy.WakeBitsWord(), 0xA1B2C3D4u);
    // Words that would reach past byte 447 read as 0 and are never written.
    EXPECT_EQ(policy.Word(445), 0u);
    policy.SetWord(446, 0xFFFFFFFF);
    EXPECT_EQ(policy.Data()[446], 0xB2);
    EXPECT_EQ(policy.Data()[447], 0xA1);
}

TEST(NotebookPolicy, VersionTextStopsAtItsTerminatorOrTheRecordEnd) {
    NotebookPolicy policy;
    std::memcpy(policy.Data() + 5, "1.07A", 6);
    EXPECT_EQ(policy.VersionText(), "1.07A");
    std::memset(policy.Data() + 5, 'V', kNotebookPolicySize - 5);
    EXPECT_EQ(policy.VersionText(), std::string(kNotebookPolicySize - 5, 'V'));
}

TEST(NotebookPolicy, ProcessorRowsOfBothBlocksLieInsideTheRecord) {
    EXPECT_EQ(ProcessorRowOffset(0, 1, false), 188u);
    EXPECT_EQ(ProcessorRowOffset(3, 1, false), 236u);
    EXPECT_EQ(ProcessorRowOffset(0, 2, false), 320u);
    EXPECT_EQ(ProcessorRowOffset(0, 1, true), 252u);
    EXPECT_EQ(ProcessorRowOffset(3, 2, true), 432u);
    for (int kind = 1; kind <= 2; ++kind) {
        for (int row = 0; row < kProcessorRows; ++row) {
            EXPECT_LE(*ProcessorRowOffset(row, kind, true) + 12, kNotebookPolicySize);
        }
    }
    EXPECT_FALSE(ProcessorRowOffset(-1, 1, false));
    EXPECT_FALSE(ProcessorRowOffset(4, 1, true));
    EXPECT_FALSE(ProcessorRowOffset(0, 0, false));
    EXPECT_FALSE(ProcessorRowOffset(0, 3, true));
}

TEST(Brightness, StepsGiveTheirPercentages) {
    const int expected[] = {100, 87, 75, 62, 50, 37, 25, 12};
    for (std::uint32_t step = 1; step <= 8; ++step) {
        EXPECT_EQ(BrightnessPercent(step), expected[step - 1]) << "step " << step;
        EXPECT_TRUE(IsBrightnessStep(step));
    }
    EXPECT_FALSE(IsBrightnessStep(0));
    EXPECT_FALSE(IsBrightnessStep(9));
}

TEST(WakeBits, SetsKeepEveryBitClearsOnlyTheLowByte) {
    EXPECT_EQ(WakeBitsWith(0x41, kWakeOnLidOpen, true), 0x61u);
    EXPECT_EQ(WakeBitsWith(0x100, kWakeHibernate, true), 0x140u);
    EXPECT_EQ(WakeBitsWith(0x61, kWakeOnLidOpen, false), 0x41u);
    EXPECT_EQ(WakeBitsWith(0x61, kWakeHibernate, false), 0x21u);
    EXPECT_EQ(WakeBitsWith(0x1E1, kWakeOnLidOpen, false), 0xC1u);
}

TEST(FanMode, TwoMinusKnownCoolingMethodsOnly) {
    EXPECT_EQ(FanModeFor(0), 2u);
    EXPECT_EQ(FanModeFor(1), 1u);
    EXPECT_EQ(FanModeFor(2), 0u);
    EXPECT_FALSE(FanModeFor(3));
    EXPECT_FALSE(FanModeFor(0xFFFFFFFF));
}

TEST(ProcessorSpeed, RowsComeFromTheBlockOfTheSystemAndProcessor) {
    NotebookPolicy policy = OffsetTaggedPolicy();
    for (bool xp : {false, true}) {
        for (bool speedStep : {false, true}) {
            for (std::uint32_t duty = 1; duty <= 4; ++duty) {
                const int row = static_cast<int>(duty) - 1;
                const int kind = speedStep ? 1 : 2;
                const std::size_t offset = *ProcessorRowOffset(row, kind, xp);
                SetRowFlags(policy, row, kind, xp, kRowSetsClock);
                const auto plan = PlanProcessorSpeed(
                    policy, {.duty = duty, .enhancedSpeedStep = speedStep, .windowsXp = xp});
                EXPECT_EQ(plan.clock, offset) << "xp " << xp << " duty " << duty;
                EXPECT_EQ(plan.throttle, offset + 4);
                EXPECT_TRUE(plan.sendClock);
            }
        }
    }
}

TEST(ProcessorSpeed, FlagsChooseThrottleRouteAndClock) {
    NotebookPolicy policy = OffsetTaggedPolicy();
    SetRowFlags(policy, 1, 2, true, kRowSetsThrottle);
    SetRowFlags(policy, 1, 2, false, kRowSetsThrottle);
    SetRowFlags(policy, 0, 2, false, 0x01 | 0x08);

    const auto xp = PlanProcessorSpeed(policy, {.duty = 2, .windowsXp = true});
    EXPECT_TRUE(xp.writeXpPolicy && !xp.sendThrottle && !xp.sendClock);
    const auto other = PlanProcessorSpeed(policy, {.duty = 2, .windowsXp = false});
    EXPECT_TRUE(!other.writeXpPolicy && other.sendThrottle && !other.sendClock);
    EXPECT_TRUE(PlanProcessorSpeed(policy, {.duty = 1}).Empty());
}

TEST(ProcessorSpeed, NothingWithoutProcessorControlWhenSilentOrForAnUnknownDuty) {
    NotebookPolicy policy;
    policy.SetWord(kProcessorWordOffset, 1);
    for (std::size_t offset = 44; offset + 4 <= kNotebookPolicySize; offset += 4) {
        policy.SetWord(offset, kRowSetsClock | kRowSetsThrottle);
    }
    EXPECT_FALSE(PlanProcessorSpeed(policy, {.duty = 1, .coolingMethod = 1}).Empty());
    EXPECT_TRUE(PlanProcessorSpeed(policy, {.duty = 1, .coolingMethod = 2}).Empty());
    // A cleared mode (0) or a damaged one would read words outside the rows, or the record.
    for (std::uint32_t duty : {0u, 5u, 0xFFFFFFFFu}) {
        EXPECT_TRUE(PlanProcessorSpeed(policy, {.duty = duty, .windowsXp = true}).Empty());
    }
    policy.SetWord(kProcessorWordOffset, 0);
    EXPECT_TRUE(PlanProcessorSpeed(policy, {.duty = 1}).Empty());
}

TEST(PowerStatus, PercentAcAndBatteryFlagReadings) {
    EXPECT_EQ(PercentFromStatus(true, 60), 60);
    EXPECT_EQ(PercentFromStatus(true, 255), -1);
    EXPECT_EQ(PercentFromStatus(false, 60), -1);
    EXPECT_EQ(AcStatusFromStatus(true, 0), 0);
    EXPECT_EQ(AcStatusFromStatus(true, 1), 1);
    EXPECT_EQ(AcStatusFromStatus(true, 255), -1);
    EXPECT_EQ(AcStatusFromStatus(false, 1), -1);
    EXPECT_EQ(NoBatteryFromStatus(true, 0x88), 1);
    EXPECT_EQ(NoBatteryFromStatus(true, 0x08), 0);
    EXPECT_EQ(NoBatteryFromStatus(true, 255), 0);
    EXPECT_EQ(NoBatteryFromStatus(false, 0x80), 0);
}

TEST(ChargePercent, KnownCapacitiesOnly) {
    EXPECT_EQ(ChargePercent(30000, 60000), 50);
    EXPECT_EQ(ChargePercent(59999, 60000), 99);
    EXPECT_EQ(ChargePercent(30000, 0), -1);
    EXPECT_EQ(ChargePercent(kUnknownCapacity, 60000), -1);
    EXPECT_EQ(ChargePercent(30000, kUnknownCapacity), -1);
    // 50,000,000 x 100 passes 2^32; a 32-bit product would give a small wrong percentage.
    EXPECT_EQ(ChargePercent(50000000, 100000000), 50);
    EXPECT_EQ(ChargePercent(0xFFFFFFFE, 1), -1);
}

TEST(NarrowText, LowBytesOfWholeReturnedUnits) {
    const std::uint8_t text[] = {'A', 0, 'B', 0x01, 'C', 0, 0, 0};
    char out[26];
    NarrowLowBytes(text, sizeof text, 50, out, sizeof out);
    EXPECT_STREQ(out, "ABC");
    NarrowLowBytes(text, 5, 50, out, sizeof out);
    EXPECT_STREQ(out, "AB");
    EXPECT_EQ(NarrowLowBytes(text, sizeof text, 50, out, 3), 2u);
    EXPECT_STREQ(out, "AB");
}

TEST(NarrowText, FullUnterminatedBufferStaysInsideTwentySixBytes) {
    std::uint8_t wide[50] = {};
    for (int i = 0; i < 25; ++i) {
        wide[2 * i] = static_cast<std::uint8_t>('a' + i);
    }
    struct {
        char text[26];
        char guard[8];
    } out;
    // The second call: a driver that claims more than the buffer it was given.
    for (std::size_t returned : {std::size_t{50}, std::size_t{4000}}) {
        std::memset(&out, '#', sizeof out);
        EXPECT_EQ(NarrowLowBytes(wide, returned, 50, out.text, sizeof out.text), 25u);
        EXPECT_EQ(std::string(out.text), "abcdefghijklmnopqrstuvwxy");
        EXPECT_EQ(std::string(out.guard, 8), "########");
    }
}
