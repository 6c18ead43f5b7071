// The applet's Windows-free rules: the Control Panel answers, the alarm texts and levels, the
// hibernation rules, the battery texts and the text progress bar's arithmetic.
#include <gtest/gtest.h>

#include "applet/logic/AlarmRules.h"
#include "applet/logic/BatteryText.h"
#include "applet/logic/CplTable.h"
#include "applet/logic/HelpIds.h"
#include "applet/logic/HibernateRules.h"
#include "applet/logic/ProgressRules.h"
#include "LeadBytes.h"
#include "framework/TextCut.h"
#include "store/PowerSaveMode.h"

namespace applet {
namespace {

TEST(CplTable, AnswersFollowTheProtocol) {
    EXPECT_EQ(CplResult(ClassifyCplMessage(1), 1), 1);
    EXPECT_EQ(CplResult(ClassifyCplMessage(1), 0), 0) << "no item: the shell unloads us";
    EXPECT_EQ(CplResult(ClassifyCplMessage(2), 1), 1);
    EXPECT_EQ(CplResult(ClassifyCplMessage(3), 0), 1) << "CPL_INQUIRE fills nothing";
    EXPECT_EQ(CplResult(ClassifyCplMessage(8), 0), 0);
    EXPECT_EQ(CplResult(ClassifyCplMessage(5), 1), 0) << "dialog object made";
    EXPECT_EQ(CplResult(ClassifyCplMessage(5), 0), 1);
    EXPECT_EQ(CplResult(ClassifyCplMessage(9), 0), 1);
    EXPECT_EQ(CplResult(ClassifyCplMessage(7), 0), 0);
    EXPECT_EQ(CplResult(ClassifyCplMessage(42), 0), 1);
}

TEST(CplTable, TheWideStartIsLeftToTheDoubleClick) {
    EXPECT_EQ(ClassifyCplMessage(10), CplStep::StartWithParamsWide);
    EXPECT_EQ(CplResult(CplStep::StartWithParamsWide, 0), 0);
}

TEST(CplTable, ItemTextsSplitAndFitTheirFields) {
    const CplTexts texts =
        SplitCplTexts("Power Management\nConfigures Power Management Utility Settings.\n", nullptr);
    EXPECT_EQ(texts.name, "Power Management");
    EXPECT_EQ(texts.info, "Configures Power Management Utility Settings.");
    EXPECT_EQ(texts.helpFile, "");
    const CplTexts longer =
        SplitCplTexts(std::string(40, 'n') + "\n" + std::string(70, 'i'), nullptr);
    EXPECT_EQ(longer.name.size(), kCplNameSize - 1);
    EXPECT_EQ(longer.info.size(), kCplInfoSize - 1);
    EXPECT_TRUE(SplitCplTexts("", nullptr).name.empty());
}

TEST(CplTable, DoubleByteItemTextsAreCutBetweenCharacters) {
    // "電源管理" (power management) in code page 932 is 8 bytes; four times over it is 32.
    const std::string name = "\x93\x64\x8C\xB9\x8A\xC7\x97\x9D";
    const CplTexts texts =
        SplitCplTexts(name + name + name + name + "\n" + std::string(62, 'i') + "\x8A\xC7",
                      testing_support::IsCp932LeadByte);
    EXPECT_EQ(texts.name, name + name + name + name.substr(0, 6)) << "30 bytes, not 31";
    EXPECT_EQ(texts.info, std::string(62, 'i')) << "the last character would need 64 bytes";
}

TEST(AlarmTexts, NotificationWordsAndTheirComma) {
    const NotifyWords words{"Sound,", "Text,", "No Action,"};
    EXPECT_EQ(NotificationText(0, words), "No Action");
    EXPECT_EQ(NotificationText(1, words), "Text");
    EXPECT_EQ(NotificationText(2, words), "Sound");
    EXPECT_EQ(NotificationText(3, words), "Sound,Text");
    EXPECT_EQ(NotificationText(3, NotifyWords{}), "") << "missing strings: no underflow";
    const NotifyWords french{"Son,", "Texte,", "Aucune action,", ", "};
    EXPECT_EQ(NotificationText(3, french), "Son, Texte");
    EXPECT_EQ(NotificationText(1, french), "Texte");
}

TEST(AlarmTexts, HibernateWithoutSupportReadsAndSavesAsStandBy) {
    const std::vector<std::string> list{"None", "Stand By", "Hibernate", "Power OFF"};
    EXPECT_EQ(EffectiveAction(3, false), 2U);
    EXPECT_EQ(EffectiveAction(3, true), 3U);
    EXPECT_EQ(ActionText(EffectiveAction(3, false), list, "No Action,"), "Stand By");
    EXPECT_EQ(ActionText(0, list, "No Action,"), "No Action");
    EXPECT_EQ(ActionText(6, list, "No Action,"), "Power OFF");
    EXPECT_FALSE(ActionText(4, list, "No Action,").has_value()) << "text left as it was";
    EXPECT_FALSE(ActionText(6, {"None"}, "x").has_value()) << "a short list is not overrun";
}

TEST(AlarmLevels, CriticalNeverAboveLow) {
    EXPECT_EQ(PulledBackLevel(AlarmRole::Critical, 40, 10, true), 10);
    EXPECT_EQ(PulledBackLevel(AlarmRole::Critical, 40, 10, false), 40) << "low alarm off";
    EXPECT_EQ(PulledBackLevel(AlarmRole::Low, 5, 10, true), 10);
    EXPECT_EQ(PulledBackLevel(AlarmRole::Low, 50, 10, true), 50);
    const AlarmLevels crossed{10, 30};
    EXPECT_EQ(LevelsAfterToggle(AlarmRole::Low, true, true, crossed).low, 30);
    EXPECT_EQ(LevelsAfterToggle(AlarmRole::Critical, true, true, crossed).critical, 10);
    EXPECT_EQ(LevelsAfterToggle(AlarmRole::Low, false, true, crossed).low, 10);
    EXPECT_EQ(PercentLabel(7), "7%");
}

TEST(HibernateRules, ListsOfferedWithAndWithoutHibernation) {
    using V = std::vector<std::uint32_t>;
    EXPECT_EQ(OfferedActions(ActionListKind::Lid, true), (V{0, 2, 3}));
    EXPECT_EQ(OfferedActions(ActionListKind::PowerButton, true), (V{2, 3, 6}));
    EXPECT_EQ(OfferedActions(ActionListKind::SleepButton, false), (V{2, 6}));
    using A = std::vector<std::uint32_t>;
    EXPECT_EQ(HibernateInsertIndex(A{2, 6}), 1U) << "before Power OFF";
    EXPECT_EQ(HibernateInsertIndex(A{0, 2}), 2U) << "the lid's list: at the end";
    EXPECT_EQ(HibernateInsertIndex(A{}), 0U);
    EXPECT_EQ(kActionsWithoutHibernation.powerButton, 6U);
    EXPECT_EQ(kActionsWithoutHibernation.lid, 0U);
    EXPECT_EQ(kActionsWithoutHibernation.sleepButton, 6U);
}

TEST(HibernateRules, DiskSpaceInUnitsOf1000Kilobytes) {
    EXPECT_EQ(HibernateUnits(536870912ULL), 524U);
    EXPECT_TRUE(HibernationFits(536870912ULL, 524ULL * 1000 * 1024));
    EXPECT_FALSE(HibernationFits(536870912ULL, 523999ULL * 1024 + 1023));
    // Beyond 4 GB of memory nothing wraps.
    EXPECT_FALSE(HibernationFits(8ULL << 30, 4ULL << 30));
}

TEST(HibernateRules, CoolingAndGaugeCharset) {
    EXPECT_EQ(CoolingIndex(2), 1);
    EXPECT_EQ(CoolingIndex(0), 0);
    EXPECT_EQ(CoolingValue(1), 2U);
    EXPECT_EQ(CoolingValue(-1), 0U);
    EXPECT_EQ(GaugeCharset(1041), 128);
    EXPECT_EQ(GaugeCharset(1049), 204);
    EXPECT_EQ(GaugeCharset(1032), 161);
    EXPECT_EQ(GaugeCharset(1033), 0);
}

TEST(BatteryTexts, StateWordsAndBarFormat) {
    const BatteryWords words{"On Line", "Discharging", "Charging", "Critical"};
    EXPECT_EQ(BatteryBarFormat(BatteryStateText(kBatteryOnLine | kBatteryCharging, words)),
              "On Line,Charging:%d%%");
    EXPECT_EQ(BatteryBarFormat(BatteryStateText(0, words)), "%d%%");
    EXPECT_EQ(BatteryStateText(0xF, words), "On Line,Discharging,Charging,Critical");
    EXPECT_EQ(BatteryBarFormat("50%"), "50%%:%d%%") << "a translation cannot add a conversion";
    const BatteryWords chinese{"已接通电源", "正在放电", "正在充电", "严重", "、"};
    EXPECT_EQ(BatteryBarFormat(BatteryStateText(0xA, chinese), "%s：%d%%"), "正在放电、严重：%d%%");
    EXPECT_EQ(BatteryBarFormat("Critique", "%s\xA0: %d\xA0%%"), "Critique\xA0: %d\xA0%%");
}

TEST(ProgressRules, TextSubstitutesOnlyThePercentage) {
    EXPECT_EQ(ProgressText("", kTextPercent, 42), "42%");
    EXPECT_EQ(ProgressText("", kTextPlain, 42), "42");
    EXPECT_EQ(ProgressText("", 0, 42), "");
    EXPECT_EQ(ProgressText("Battery Capacity: %d%%", kTextPercent, 7), "Battery Capacity: 7%");
    EXPECT_EQ(ProgressText("Not Present", kTextModeMask, 0), "Not Present");
    EXPECT_EQ(ProgressText("%s%n%", kTextPercent, 1), "%s%n%");
}

TEST(ProgressRules, BarColoursAndBands) {
    const BarColours single = BarColoursFrom(0, 0xFF00FF);
    EXPECT_EQ(single.first, 0xFF00FFU);
    EXPECT_EQ(single.second, 0xFF00FFU);
    EXPECT_EQ(BandCount(single.first, single.second, 100, false), 1);
    EXPECT_EQ(BandCount(0xFF00FF, 0xFF0000, 100, false), 100) << "limited to the bar length";
    EXPECT_EQ(BandCount(0xFF00FF, 0xFF0000, 300, false), 255);
    EXPECT_EQ(BandCount(0xFF00FF, 0xFF0000, 300, true), 1);
    EXPECT_EQ(BandCount(0, 0xFFFFFF, 0, false), 1);
    EXPECT_EQ(BandColour(0x000000, 0x0000FF, 0, 3), 0x000000U);
    EXPECT_EQ(BandColour(0x000000, 0x0000FF, 2, 3), 0x0000FFU);
    EXPECT_EQ(BandStart(3, 3, 100), 100);
}

TEST(ProgressRules, FilledExtentOfOddRanges) {
    EXPECT_EQ(FilledLength(0, 100, 50, 200), 100);
    EXPECT_EQ(FilledLength(0, 100, 150, 200), 200);
    EXPECT_EQ(FilledLength(0, 100, -5, 200), 0);
    EXPECT_EQ(FilledLength(10, 10, 10, 200), 0) << "empty range";
    EXPECT_EQ(PositionPercent(0, 200, 50), 25);
}

TEST(Controls, SlotsAlignmentAndChoiceLists) {
    EXPECT_EQ(AlignmentAfter(1, 3), 1);
    EXPECT_EQ(AlignmentAfter(1, 2), 2);
    EXPECT_EQ(AlignmentAfter(1, -1), 1);
    EXPECT_EQ(SliderPositionFor(0, 1, 16), 16) << "SetValue(0) on a 1-based list";
    EXPECT_EQ(SliderPositionFor(5, 1, 16), 5);
    EXPECT_EQ(SliderPositionFor(17, 1, 16), 16);
}

TEST(HelpIds, SharedStrings) {
    EXPECT_EQ(AlarmPageHelpId(1035), 1033);
    EXPECT_EQ(AlarmPageHelpId(1040), 1039);
    EXPECT_EQ(AlarmPageHelpId(1042), 1041);
    EXPECT_EQ(AlarmPageHelpId(1203), 1203);
    EXPECT_EQ(ModesPageHelpId(1130), 1126);
    EXPECT_EQ(ModesPageHelpId(1141), 1141);
}

} // namespace
} // namespace applet

namespace applet {
namespace {

using framework::CutToBytes;
using store::kModeNameLimit;

TEST(TextCut, NamesAreCutWithoutSplittingADoubleByteCharacter) {
    const auto none = [](unsigned char) { return false; };
    EXPECT_EQ(CutToBytes(std::string(40, 'a'), kModeNameLimit, none).size(), 30U);
    EXPECT_EQ(CutToBytes("short", kModeNameLimit, none), "short");
    // 0x82 starts a double-byte character (as in code page 932).
    const auto lead = [](unsigned char c) { return c == 0x82; };
    const std::string text = std::string(29, 'a') + "\x82\xA0" + "b";
    EXPECT_EQ(CutToBytes(text, kModeNameLimit, lead), std::string(29, 'a'));
    EXPECT_EQ(CutToBytes(text, 31, lead), std::string(29, 'a') + "\x82\xA0");
}

} // namespace
} // namespace applet
