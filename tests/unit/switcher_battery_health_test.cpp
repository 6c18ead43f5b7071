// Battery health rules: the damage table, the judgement, the override file's text, the event
// counter's content, and which warning a judgement gives.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "switcher/logic/BatteryHealthLogic.h"
#include "switcher/logic/BatteryStatusLogic.h"

using namespace switcher;

namespace {

BatteryValues Values(std::uint16_t dc, std::uint16_t fcc, std::uint16_t cc, std::uint16_t ma) {
    BatteryValues v{dc, fcc, cc, ma, 0};
    v.damaged = DamageFlag(ma);
    return v;
}

TEST(DamageFlag, TableIsIndexedByBitsFourToSevenOnly) {
    const std::uint8_t table[16] = {0, 1, 1, 1, 1, 1, 0, 1, 1, 0, 1, 0, 0, 1, 0, 0};
    for (unsigned i = 0; i < 16; ++i) {
        EXPECT_EQ(DamageFlag(static_cast<std::uint16_t>(i << 4)), table[i]) << i;
        // Other bits never matter.
        EXPECT_EQ(DamageFlag(static_cast<std::uint16_t>(i << 4 | 0xFF0F)), table[i]) << i;
    }
    EXPECT_EQ(DamageFlag(0x0010), 1);
    EXPECT_EQ(DamageFlag(0x0060), 0);
    EXPECT_EQ(DamageFlag(0x0100), 0);
}

TEST(Classify, CapacityRatioAndCycleLimit) {
    EXPECT_EQ(Classify(Values(4400, 2100, 300, 0)), BatteryCondition::Worn); // 0.477
    EXPECT_EQ(Classify(Values(4400, 2200, 300, 0)), BatteryCondition::Good); // exactly 0.5
    EXPECT_EQ(Classify(Values(4400, 2199, 0, 0)), BatteryCondition::Worn);
    EXPECT_EQ(Classify(Values(4400, 2200, 1001, 0)), BatteryCondition::Worn);
    EXPECT_EQ(Classify(Values(4400, 2200, 1000, 0)), BatteryCondition::Good);
    EXPECT_EQ(Classify(Values(4400, 4300, 12, 0)), BatteryCondition::Good);
    EXPECT_EQ(Classify(Values(65535, 32767, 0, 0)), BatteryCondition::Worn);
    EXPECT_EQ(Classify(Values(65535, 32768, 0, 0)), BatteryCondition::Good);
}

TEST(Classify, NoDesignCapacityGivesNoRatio) {
    EXPECT_EQ(Classify(Values(0, 0, 0, 0)), BatteryCondition::Good);
    EXPECT_EQ(Classify(Values(0, 4000, 0, 0)), BatteryCondition::Good);
    EXPECT_EQ(Classify(Values(0, 0, 1001, 0)), BatteryCondition::Worn);
}

TEST(Classify, DamageWinsWhateverTheCapacities) {
    EXPECT_EQ(Classify(Values(4400, 4300, 12, 0x0010)), BatteryCondition::Damaged);
    EXPECT_EQ(Classify(Values(4400, 100, 5000, 0x0010)), BatteryCondition::Damaged);
    EXPECT_EQ(Classify(Values(4400, 4300, 12, 0x0060)), BatteryCondition::Good);
    EXPECT_EQ(Classify(Values(4400, 4300, 12, 0x0100)), BatteryCondition::Good);
}

TEST(Classify, TracesNameTheJudgement) {
    EXPECT_STREQ(ConditionTrace(BatteryCondition::Damaged), L"Battery damaged.\n");
    EXPECT_STREQ(ConditionTrace(BatteryCondition::Worn),
                 L"Battery is fine. But need to be replaced immediately.\n");
    EXPECT_STREQ(ConditionTrace(BatteryCondition::Good), L"Battery is good.\n");
}

TEST(EcRegisters, PairsAreLowByteFirstInReadingOrder) {
    EXPECT_EQ(kBatteryRegisters,
              (std::array<std::uint8_t, 8>{0xCA, 0xCB, 0xCC, 0xCD, 0xEB, 0xEC, 0xEE, 0xEF}));
    const BatteryValues v = ValuesFromRegisters({0x30, 0x11, 0xCC, 0x10, 0xE9, 0x03, 0x10, 0x80});
    EXPECT_EQ(v.designCapacity, 0x1130);
    EXPECT_EQ(v.fullChargeCapacity, 0x10CC);
    EXPECT_EQ(v.cycleCount, 1001);
    EXPECT_EQ(v.status, 0x8010);
    EXPECT_EQ(v.damaged, 1);
    EXPECT_EQ(ValuesTrace(v), L"dc=1130, fcc=10cc, cc=3e9, ma=8010, dg=1\n");
    EXPECT_EQ(ValuesTrace(Values(0, 0, 12, 0)), L"dc=0000, fcc=0000, cc=0c, ma=0000, dg=0\n");
}

TEST(OverrideFile, FourNumbersAsWritten) {
    const OverrideValues read = ParseOverride("4400, 4300, 12, 0\n");
    EXPECT_EQ(read.numbersRead, 4);
    EXPECT_EQ(read.values.designCapacity, 4400);
    EXPECT_EQ(read.values.fullChargeCapacity, 4300);
    EXPECT_EQ(read.values.cycleCount, 12);
    EXPECT_EQ(read.values.status, 0);
    EXPECT_EQ(Classify(read.values), BatteryCondition::Good);

    EXPECT_EQ(ParseOverride("4400,4300,12,16").numbersRead, 4);
    EXPECT_EQ(ParseOverride("4400,4300,12,16").values.damaged, 1);
    EXPECT_EQ(ParseOverride("\r\n\t 4400,\r\n 4300,  +12,\t0\r\n").numbersRead, 4);
}

TEST(OverrideFile, ReadingStopsAtTheFirstMismatchAndTheRestIsZero) {
    const OverrideValues blankBeforeComma = ParseOverride("4400 , 4300, 12, 0");
    EXPECT_EQ(blankBeforeComma.numbersRead, 1);
    EXPECT_EQ(blankBeforeComma.values.designCapacity, 4400);
    EXPECT_EQ(blankBeforeComma.values.fullChargeCapacity, 0);

    EXPECT_EQ(ParseOverride("4400, 2100").numbersRead, 2);
    EXPECT_EQ(ParseOverride("4400, 2100").values.cycleCount, 0);
    EXPECT_EQ(ParseOverride("4400; 2100; 12; 0").numbersRead, 1);
    EXPECT_EQ(ParseOverride("4400, x, 12, 0").numbersRead, 1);
    EXPECT_EQ(ParseOverride("4400, -, 12, 0").numbersRead, 1);
    EXPECT_EQ(ParseOverride("0x1130, 1, 2, 3").values.designCapacity, 0);
    EXPECT_EQ(ParseOverride("0x1130, 1, 2, 3").numbersRead, 1);
}

TEST(OverrideFile, EmptyOrForeignContentReadsAsAllZero) {
    for (const std::string& text : {std::string(), std::string("battery"), std::string(",,,,"),
                                    std::string("\xFF\xFE"
                                                "4\0"
                                                "4\0",
                                                6),
                                    std::string(1, '\0')}) {
        const OverrideValues read = ParseOverride(text);
        EXPECT_EQ(read.numbersRead, 0);
        EXPECT_EQ(read.values.designCapacity, 0);
        EXPECT_EQ(read.values.status, 0);
        EXPECT_EQ(Classify(read.values), BatteryCondition::Good);
    }
}

TEST(OverrideFile, NumbersKeepTheirLow16Bits) {
    const OverrideValues read = ParseOverride("-1, 70000, 65536, 4294967311");
    EXPECT_EQ(read.numbersRead, 4);
    EXPECT_EQ(read.values.designCapacity, 0xFFFF);
    EXPECT_EQ(read.values.fullChargeCapacity, 70000 & 0xFFFF);
    EXPECT_EQ(read.values.cycleCount, 0);
    EXPECT_EQ(read.values.status, 15); // 2^32 + 15
    const std::string longNumber = std::string(5000, '9');
    const OverrideValues huge = ParseOverride(longNumber);
    EXPECT_EQ(huge.numbersRead, 1);
}

TEST(OverrideFile, OnlyTheFirstBytesAreRead) {
    std::string padded(kMaxOverrideBytes - 3, ' ');
    padded += "12345, 6";
    const OverrideValues read = ParseOverride(padded);
    EXPECT_EQ(read.numbersRead, 1);
    EXPECT_EQ(read.values.designCapacity, 123);
}

TEST(EventCounter, FourLittleEndianBytes) {
    const std::uint8_t five[] = {5, 0, 0, 0};
    EXPECT_EQ(DecodeCounter(five), 5);
    const std::uint8_t minusOne[] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(DecodeCounter(minusOne), -1);
    const std::uint8_t big[] = {0x78, 0x56, 0x34, 0x12, 0x99};
    EXPECT_EQ(DecodeCounter(big), 0x12345678);
    const std::uint8_t shortFile[] = {5, 0};
    EXPECT_FALSE(DecodeCounter(shortFile));
    EXPECT_FALSE(DecodeCounter({}));
    EXPECT_EQ(EncodeCounter(0x12345678), (std::array<std::uint8_t, 4>{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(DecodeCounter(EncodeCounter(INT32_MIN)), INT32_MIN);
}

TEST(EventCounter, CountsFlaggedChecksAndStartsAgainWhenDamaged) {
    EXPECT_EQ(NextEventCount(std::nullopt, true), 1);
    EXPECT_EQ(NextEventCount(std::nullopt, false), 0);
    EXPECT_EQ(NextEventCount(4, true), 5);
    EXPECT_EQ(NextEventCount(4, false), 4);
    EXPECT_EQ(NextEventCount(-7, false), 0);
    EXPECT_EQ(NextEventCount(INT32_MIN, true), 1);
    EXPECT_EQ(NextEventCount(INT32_MAX, true), INT32_MAX);
    EXPECT_TRUE(ShouldWarn(NextEventCount(INT32_MAX, true), false));
}

TEST(Warnings, FiveFlaggedChecksOrTheBatteryKey) {
    EXPECT_FALSE(ShouldWarn(0, false));
    EXPECT_FALSE(ShouldWarn(4, false));
    EXPECT_TRUE(ShouldWarn(5, false));
    EXPECT_TRUE(ShouldWarn(6, false));
    EXPECT_TRUE(ShouldWarn(0, true));

    int count = 0;
    int checksBeforeWarning = 0;
    while (!ShouldWarn(count, false)) {
        count = NextEventCount(count, true);
        ++checksBeforeWarning;
    }
    EXPECT_EQ(checksBeforeWarning, 5);
}

TEST(Warnings, TextsAndIconsPerJudgement) {
    const ResourceTokens texts(L" \t \twt\twx\tdt\tdx\tcalc\t%d %d", kBatteryTextSeparators);
    EXPECT_FALSE(WarningFor(BatteryCondition::Good, texts));
    const auto worn = WarningFor(BatteryCondition::Worn, texts);
    ASSERT_TRUE(worn);
    EXPECT_EQ(worn->trayIcon, kWornTrayIcon);
    EXPECT_EQ(worn->title, L"wt");
    EXPECT_EQ(worn->text, L"wx");
    const auto damaged = WarningFor(BatteryCondition::Damaged, texts);
    ASSERT_TRUE(damaged);
    EXPECT_EQ(damaged->trayIcon, kDamagedTrayIcon);
    EXPECT_EQ(damaged->title, L"dt");
    EXPECT_EQ(damaged->text, L"dx");

    EXPECT_EQ(WarningForTrayIcon(kWornTrayIcon, texts).title, L"wt");
    EXPECT_EQ(WarningForTrayIcon(kDamagedTrayIcon, texts).title, L"dt");
    EXPECT_EQ(WarningForTrayIcon(0, texts).title, L"dt");
}

} // namespace
