// The emulated notebook's firmware methods and policy records, over an in-memory state.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "ControlMethods.h"
#include "MapStore.h"
#include "NotebookProfile.h"

using namespace emulator;
using testing_support::MapStore;

namespace {

constexpr std::uint32_t kBcme = 0x454D4342;
constexpr std::uint32_t kClck = 0x4B434C43;
constexpr std::uint32_t kAtsi = 0x41545349;
constexpr std::uint32_t kNafc = 0x4E414643;
constexpr std::uint32_t kCltb = 0x434C5442;
constexpr std::uint32_t kTkpe = 0x544B5045;
constexpr std::uint32_t kTkpeWrite = 0x57544B50;
constexpr std::uint32_t kFnUp = 0x466E5570;
constexpr std::uint32_t kDijp = 0x44494A50;
constexpr std::uint32_t kKoso = 0x4B4F534F;

class ControlMethodTest : public ::testing::Test {
protected:
    int Call(std::uint32_t code) { return RunControlMethod(state_, code, std::nullopt); }
    int Call(std::uint32_t code, std::uint32_t argument) {
        return RunControlMethod(state_, code, argument);
    }

    MapStore store_;
    MachineState state_{store_};
};

TEST_F(ControlMethodTest, SettersStoreTheirArgument) {
    EXPECT_EQ(Call(kBcme, 12), 12);
    EXPECT_EQ(state_.Get(StateValue::Brightness), 12u);
    EXPECT_EQ(Call(kClck, 1333), 0);
    EXPECT_EQ(state_.Get(StateValue::ProcessorClock), 1333u);
    EXPECT_EQ(Call(kAtsi, 4), 0);
    EXPECT_EQ(state_.Get(StateValue::ProcessorThrottle), 4u);
    EXPECT_EQ(Call(kNafc, 0), 0);
    EXPECT_EQ(state_.Get(StateValue::FanMode), 0u);
}

TEST_F(ControlMethodTest, OutOfRangeArgumentsFailAndChangeNothing) {
    EXPECT_EQ(Call(kBcme, 101), kMethodFailed);
    EXPECT_EQ(state_.Get(StateValue::Brightness), 100u);
    EXPECT_EQ(Call(kNafc, 3), kMethodFailed);
    EXPECT_EQ(state_.Get(StateValue::FanMode), 2u);
    EXPECT_EQ(Call(kTkpeWrite, 0x100), kMethodFailed);
    EXPECT_TRUE(store_.values.empty());
}

TEST_F(ControlMethodTest, WakeBitsReadModifyWrite) {
    EXPECT_EQ(Call(kTkpeWrite, 0x41), 0);
    EXPECT_EQ(Call(kTkpe), 0x41);
    EXPECT_EQ(Call(kTkpe, 1), 0x41);
    EXPECT_EQ(Call(kTkpeWrite, Call(kTkpe) | 0x20), 0);
    EXPECT_EQ(Call(kTkpe), 0x61);
    EXPECT_EQ(Call(kTkpe, 2), kMethodFailed);
}

TEST_F(ControlMethodTest, CycleCountComesFromTheBattery) {
    EXPECT_EQ(Call(kCltb, 0), 12);
    state_.Set(StateValue::ChargeCycles, 1001);
    EXPECT_EQ(Call(kCltb, 0), 1001);
}

TEST_F(ControlMethodTest, MethodsWithoutCallerInTheSuite) {
    EXPECT_EQ(Call(kFnUp), 0);
    EXPECT_EQ(Call(kDijp, 0), 0);
    EXPECT_EQ(Call(kKoso, 0), 0);
    EXPECT_EQ(Call(kKoso, 1), 1);
    EXPECT_EQ(Call(kKoso, 2), kMethodFailed);
}

TEST_F(ControlMethodTest, UnknownCodesAndWrongFormsFail) {
    EXPECT_EQ(Call(0x12345678), kMethodFailed);
    EXPECT_EQ(Call(0x12345678, 0), kMethodFailed);
    EXPECT_EQ(Call(kBcme), kMethodFailed);      // needs its argument
    EXPECT_EQ(Call(kTkpeWrite), kMethodFailed); // needs its argument
    EXPECT_EQ(Call(kFnUp, 0), kMethodFailed);   // takes none
    EXPECT_EQ(MethodName(0x12345678), nullptr);
    EXPECT_STREQ(MethodName(kBcme), "BCME");
    EXPECT_STREQ(MethodName(kTkpeWrite), "TKPE write");
}

TEST_F(ControlMethodTest, AStateThatCannotBeStoredIsAFailure) {
    store_.readOnly = true;
    EXPECT_EQ(Call(kBcme, 50), kMethodFailed);
    EXPECT_EQ(Call(kTkpeWrite, 0x20), kMethodFailed);
}

TEST(NotebookProfileTest, DefaultRecordHasFeaturesVersionAndRows) {
    const auto record = BuildPolicyRecord(ModelProfile::Default);
    ASSERT_TRUE(record);
    EXPECT_EQ((*record)[kModelCodeOffset], 0x1A);
    EXPECT_STREQ(reinterpret_cast<const char*>(&(*record)[kVersionOffset]), "EMU 1.20");
    for (std::size_t offset : {kFanWordOffset, kProcessorWordOffset, kLinkedProgramsWordOffset,
                               kButtonsWordOffset, kWakeBitsWordOffset}) {
        EXPECT_NE(ReadRecordWord(*record, offset), 0u) << offset;
    }
}

TEST(NotebookProfileTest, RowsSitAtTheOffsetsTheSuiteReads) {
    const auto record = BuildPolicyRecord(ModelProfile::Default);
    ASSERT_TRUE(record);
    // Full speed on an Enhanced SpeedStep processor outside XP: the clock, set through CLCK.
    EXPECT_EQ(ReadRecordWord(*record, 56 + 132), 1733u);
    EXPECT_EQ(ReadRecordWord(*record, 64 + 132), kRowSetsClock);
    // Low on XP: constant throttle through the processor policy.
    EXPECT_EQ(ReadRecordWord(*record, 124 + 48 + 132), 1u);
    EXPECT_EQ(ReadRecordWord(*record, 128 + 48 + 132), kRowSetsThrottle);
    // Other processors are throttled, one step further per row.
    EXPECT_EQ(ReadRecordWord(*record, 60 + 16 + 264), 2u);
    EXPECT_EQ(ReadRecordWord(*record, 64 + 16 + 264), kRowSetsThrottle);
    EXPECT_EQ(ReadRecordWord(*record, 124 + 32 + 264), 2u);

    for (bool xp : {false, true}) {
        for (int kind : {1, 2}) {
            std::uint32_t lastClock = 0xFFFFFFFF;
            for (int row = 0; row < 4; ++row) {
                const std::size_t offset = ProcessorRowOffset(xp, kind, row);
                ASSERT_LE(offset + 12, kWakeBitsWordOffset);
                const std::uint32_t clock = ReadRecordWord(*record, offset);
                const std::uint32_t flags = ReadRecordWord(*record, offset + 8);
                EXPECT_LE(clock, lastClock) << "rows slow down from Full to Low";
                EXPECT_NE(flags & (kRowSetsClock | kRowSetsThrottle), 0u);
                lastClock = clock;
            }
        }
    }
}

TEST(NotebookProfileTest, RowBlocksDoNotOverlapEachOtherOrTheFeatureWords) {
    std::map<std::size_t, int> owners;
    for (bool xp : {false, true}) {
        for (int kind : {1, 2}) {
            for (int row = 0; row < 4; ++row) {
                for (std::size_t b = 0; b < 12; ++b) {
                    EXPECT_EQ(owners[ProcessorRowOffset(xp, kind, row) + b]++, 0);
                }
            }
        }
    }
    for (std::size_t word : {kFanWordOffset, kProcessorWordOffset, kLinkedProgramsWordOffset,
                             kButtonsWordOffset, kSpeedStepWordOffset, kWakeBitsWordOffset}) {
        for (std::size_t b = 0; b < 4; ++b) {
            EXPECT_EQ(owners.count(word + b), 0u) << word;
        }
    }
}

TEST(NotebookProfileTest, OtherProfiles) {
    const auto model25 = BuildPolicyRecord(ModelProfile::Model25);
    ASSERT_TRUE(model25);
    EXPECT_EQ((*model25)[kModelCodeOffset], 0x25);
    EXPECT_EQ(ReadRecordWord(*model25, kButtonsWordOffset), 0u);
    EXPECT_NE(ReadRecordWord(*model25, kProcessorWordOffset), 0u);

    const auto off = BuildPolicyRecord(ModelProfile::FeaturesOff);
    ASSERT_TRUE(off);
    for (std::size_t offset : {kFanWordOffset, kProcessorWordOffset, kLinkedProgramsWordOffset,
                               kButtonsWordOffset, kWakeBitsWordOffset}) {
        EXPECT_EQ(ReadRecordWord(*off, offset), 0u) << offset;
    }
    EXPECT_NE(std::memchr(&(*off)[kVersionOffset], '\0', kVersionSize), nullptr);

    EXPECT_FALSE(BuildPolicyRecord(ModelProfile::LoadFails));
}

} // namespace
