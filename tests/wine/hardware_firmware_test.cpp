// The firmware operations against a recorder in place of the control-method library.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CBrightnessLevel.h"
#include "Firmware.h"

using namespace hardware;

namespace {

struct MethodCall {
    bool extended = false;
    std::uint32_t code = 0;
    std::uint32_t argument = 0;
    bool operator==(const MethodCall&) const = default;
};
using Calls = std::vector<MethodCall>;

MethodCall Ex(std::uint32_t code, std::uint32_t argument) {
    return {true, code, argument};
}
const MethodCall kReadWakeBits{false, kMethodWakeBits, 0};

// What the recorder saw, and what it answers.
struct Recorder {
    Calls calls;
    std::vector<std::string> traces;
    int wakeBits = 0;
    int writeResult = 0;
    int brightnessResult = 0;
};
Recorder g_firmware;

int __cdecl RecordMethod(std::uint32_t code) {
    g_firmware.calls.push_back({false, code, 0});
    return code == kMethodWakeBits ? g_firmware.wakeBits : kMethodFailed;
}

int __cdecl RecordMethodEx(std::uint32_t code, std::uint32_t argument) {
    g_firmware.calls.push_back({true, code, argument});
    if (code == kMethodWakeBitsWrite) {
        return g_firmware.writeResult;
    }
    if (code == kMethodBrightness) {
        return g_firmware.brightnessResult;
    }
    return code == kMethodCycleCount ? 137 : 0;
}

void WINAPI RecordTrace(const char* text) {
    g_firmware.traces.emplace_back(text);
}

class FirmwareTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_firmware = Recorder{};
        policy.SetWord(kWakeBitsWordOffset, 1);
        policy.SetWord(kFanWordOffset, 1);
        policy.SetWord(kProcessorWordOffset, 1);
    }

    void SetRow(int row, int kind, bool xp, std::uint32_t clock, std::uint32_t throttle,
                std::uint32_t flags) {
        const std::size_t offset = *ProcessorRowOffset(row, kind, xp);
        policy.SetWord(offset, clock);
        policy.SetWord(offset + 4, throttle);
        policy.SetWord(offset + 8, flags);
    }

    void ApplySpeed(const ProcessorSpeedRequest& request) {
        ApplyProcessorSpeed(
            policy, request, [this](std::uint32_t t) { policyWrites.push_back(t); }, port);
    }

    const FirmwarePort port{&RecordMethod, &RecordMethodEx, &RecordTrace};
    NotebookPolicy policy;
    std::vector<std::uint32_t> policyWrites;
};

} // namespace

TEST_F(FirmwareTest, HighestBrightnessSendsOneHundredAndLogsFourLines) {
    g_firmware.brightnessResult = 0x1201;
    CBrightnessLevel(port).SetBrightnessLevel(1);
    EXPECT_EQ(g_firmware.calls, Calls{Ex(kMethodBrightness, 100)});
    const std::vector<std::string> expected = {
        "[Velmora][CBrightnessLevel] SetBrightnessLevel 0x1\n",
        "[Velmora][CBrightnessLevel] SetBrightnessLevel upside down 0x7\n",
        "[Velmora][CBrightnessLevel] SetBrightnessLevel(Value) 0x64\n",
        "[Velmora][CBrightnessLevel] ControlMethod(BCME) return 0x1\n",
    };
    EXPECT_EQ(g_firmware.traces, expected);
}

TEST_F(FirmwareTest, LowestBrightnessSendsTwelveAndLogsTheLowByteOfTheResult) {
    g_firmware.brightnessResult = -1;
    CBrightnessLevel(port).SetBrightnessLevel(8);
    EXPECT_EQ(g_firmware.calls, Calls{Ex(kMethodBrightness, 12)});
    ASSERT_EQ(g_firmware.traces.size(), 4u);
    EXPECT_EQ(g_firmware.traces[1],
              "[Velmora][CBrightnessLevel] SetBrightnessLevel upside down 0x0\n");
    EXPECT_EQ(g_firmware.traces[2], "[Velmora][CBrightnessLevel] SetBrightnessLevel(Value) 0xc\n");
    EXPECT_EQ(g_firmware.traces[3],
              "[Velmora][CBrightnessLevel] ControlMethod(BCME) return 0xff\n");
}

TEST_F(FirmwareTest, BrightnessStepOutsideTheRangeReachesNoFirmware) {
    CBrightnessLevel brightness(port);
    brightness.SetBrightnessLevel(0);
    brightness.SetBrightnessLevel(9);
    EXPECT_TRUE(g_firmware.calls.empty());
    ASSERT_EQ(g_firmware.traces.size(), 4u);
    EXPECT_EQ(g_firmware.traces[0], "[Velmora][CBrightnessLevel] SetBrightnessLevel 0x0\n");
}

TEST_F(FirmwareTest, WakeBitsAreReadThenWritten) {
    g_firmware.wakeBits = 0x41;
    EXPECT_TRUE(SetAutoResume(policy, true, port));
    g_firmware.wakeBits = 0x61;
    EXPECT_TRUE(SetAutoResume(policy, false, port));
    EXPECT_TRUE(SetHibernateBit(policy, false, port));
    const Calls expected = {kReadWakeBits, Ex(kMethodWakeBitsWrite, 0x61),
                            kReadWakeBits, Ex(kMethodWakeBitsWrite, 0x41),
                            kReadWakeBits, Ex(kMethodWakeBitsWrite, 0x21)};
    EXPECT_EQ(g_firmware.calls, expected);

    g_firmware.writeResult = -1;
    EXPECT_FALSE(SetHibernateBit(policy, true, port));
}

TEST_F(FirmwareTest, WakeBitsUntouchedWithoutPolicyOrAReading) {
    policy.SetWord(kWakeBitsWordOffset, 0);
    EXPECT_FALSE(SetAutoResume(policy, true, port));
    EXPECT_FALSE(SetHibernateBit(policy, true, port));
    EXPECT_TRUE(g_firmware.calls.empty());

    // A failed read gives no bits to keep; writing back from it would set every other bit.
    policy.SetWord(kWakeBitsWordOffset, 1);
    g_firmware.wakeBits = -1;
    EXPECT_FALSE(SetAutoResume(policy, false, port));
    EXPECT_EQ(g_firmware.calls, Calls{kReadWakeBits});
}

TEST_F(FirmwareTest, MethodsSendTheirCodesAndArguments) {
    SetProcessorClock(0x10, port);
    SetProcessorThrottle(0x20, port);
    SetFanMode(2, port);
    EXPECT_EQ(ReadCycleCount(port), 137);
    EXPECT_TRUE(ApplyCoolingMethod(policy, 1, port));
    EXPECT_FALSE(ApplyCoolingMethod(policy, 3, port));
    const Calls expected = {Ex(0x4B434C43, 0x10), Ex(0x41545349, 0x20), Ex(0x4E414643, 2),
                            Ex(0x434C5442, 0), Ex(0x4E414643, 1)};
    EXPECT_EQ(g_firmware.calls, expected);

    g_firmware.calls.clear();
    policy.SetWord(kFanWordOffset, 0);
    EXPECT_FALSE(ApplyCoolingMethod(policy, 0, port));
    EXPECT_TRUE(g_firmware.calls.empty());
}

TEST_F(FirmwareTest, PortWithoutTheLibraryAnswersAsAFailingMethod) {
    const FirmwarePort empty{};
    EXPECT_EQ(ReadCycleCount(empty), kMethodFailed);
    EXPECT_FALSE(SetAutoResume(policy, true, empty));
    CBrightnessLevel(empty).SetBrightnessLevel(3);
}

TEST_F(FirmwareTest, LongTraceTextIsCutNotOverrun) {
    const std::string longText(4000, 'T');
    port.Trace("%s", longText.c_str());
    ASSERT_EQ(g_firmware.traces.size(), 1u);
    EXPECT_EQ(g_firmware.traces[0], std::string(kTraceBufferSize - 1, 'T'));
    framework::Trace("%s%s\n", longText.c_str(), longText.c_str());
}

TEST_F(FirmwareTest, XpWritesTheProcessorPolicyThenSendsTheClock) {
    SetRow(1, kOtherProcessor, true, 0xC1, 0x71, kRowSetsThrottle | kRowSetsClock);
    ApplySpeed({.duty = 2, .windowsXp = true});
    EXPECT_EQ(policyWrites, std::vector<std::uint32_t>{0x71});
    EXPECT_EQ(g_firmware.calls, Calls{Ex(kMethodProcessorClock, 0xC1)});
}

TEST_F(FirmwareTest, ElsewhereTheThrottleGoesToTheFirmwareBeforeTheClock) {
    SetRow(1, kOtherProcessor, false, 0xC2, 0x72, kRowSetsThrottle | kRowSetsClock);
    ApplySpeed({.duty = 2, .windowsXp = false});
    EXPECT_TRUE(policyWrites.empty());
    EXPECT_EQ(g_firmware.calls,
              (Calls{Ex(kMethodThrottle, 0x72), Ex(kMethodProcessorClock, 0xC2)}));
}

TEST_F(FirmwareTest, XpAndOtherSystemsReadTheirOwnRows) {
    SetRow(2, kSpeedStepProcessor, false, 0x11, 0, kRowSetsClock);
    SetRow(2, kSpeedStepProcessor, true, 0x22, 0, kRowSetsClock);
    SetRow(2, kOtherProcessor, false, 0x33, 0, kRowSetsClock);
    SetRow(2, kOtherProcessor, true, 0x44, 0, kRowSetsClock);
    for (bool speedStep : {true, false}) {
        for (bool xp : {false, true}) {
            ApplySpeed({.duty = 3, .enhancedSpeedStep = speedStep, .windowsXp = xp});
        }
    }
    const Calls expected = {Ex(kMethodProcessorClock, 0x11), Ex(kMethodProcessorClock, 0x22),
                            Ex(kMethodProcessorClock, 0x33), Ex(kMethodProcessorClock, 0x44)};
    EXPECT_EQ(g_firmware.calls, expected);
}

TEST_F(FirmwareTest, NoProcessorStepWithoutProcessorControl) {
    SetRow(0, kOtherProcessor, true, 0xC1, 0x71, kRowSetsThrottle | kRowSetsClock);
    policy.SetWord(kProcessorWordOffset, 0);
    ApplySpeed({.duty = 1, .windowsXp = true});
    EXPECT_TRUE(policyWrites.empty());
    EXPECT_TRUE(g_firmware.calls.empty());
}

TEST_F(FirmwareTest, SilentCoolingKeepsTheProcessorButNotTheBrightness) {
    SetRow(0, kOtherProcessor, false, 0xC1, 0x71, kRowSetsThrottle | kRowSetsClock);
    ApplySpeed({.duty = 1, .coolingMethod = kCoolingSilent});
    EXPECT_TRUE(g_firmware.calls.empty());
    CBrightnessLevel(port).SetBrightnessLevel(4);
    EXPECT_EQ(g_firmware.calls, Calls{Ex(kMethodBrightness, 62)});
}

TEST_F(FirmwareTest, XpWithoutAPolicyWriterTracesAndSendsNoThrottle) {
    SetRow(0, kOtherProcessor, true, 0xC1, 0x71, kRowSetsThrottle);
    ApplyProcessorSpeed(policy, {.duty = 1, .windowsXp = true}, nullptr, port);
    EXPECT_TRUE(g_firmware.calls.empty());
    EXPECT_EQ(g_firmware.traces.size(), 1u);
}
