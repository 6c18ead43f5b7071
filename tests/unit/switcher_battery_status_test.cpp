// The popup's battery indicator: charge frames, the remaining-time rule, texts, and how the
// status cache carries the time estimate between notifications and timer ticks.
#include <gtest/gtest.h>

#include "switcher/logic/BatteryStatusLogic.h"
#include "switcher/logic/ResourceTokens.h"

using namespace switcher;

namespace {

// String 1004 as the English string table holds it.
const wchar_t kEnglishTexts[] =
    L" \t \tBattery capacity low\tYour battery's capacity is low. This happens when batteries "
    L"wear out and you should replace it as soon as possible.\tBattery exhausted\tYour battery "
    L"is exhausted and will not work properly anymore. It must be replaced.\tCalculating "
    L"battery life\t%dh %dmins remaining";

ResourceTokens Texts() {
    return ResourceTokens(kEnglishTexts, kBatteryTextSeparators);
}

PowerStatus OnBattery(std::uint8_t percent, std::uint32_t lifeTime) {
    PowerStatus s;
    s.acLine = 0;
    s.batteryFlag = 0;
    s.percent = percent;
    s.lifeTime = lifeTime;
    return s;
}

PowerStatus OnMains(std::uint8_t percent) {
    PowerStatus s = OnBattery(percent, kUnknownLifeTime);
    s.acLine = kAcOnline;
    return s;
}

TEST(ResourceTokens, BatteryTextsSplitWithTheTwoLeadingBlanks) {
    const ResourceTokens texts = Texts();
    ASSERT_EQ(texts.Count(), 8u);
    EXPECT_EQ(texts[0], L" ");
    EXPECT_EQ(texts[1], L" ");
    EXPECT_EQ(texts[kTokenWornTitle], L"Battery capacity low");
    EXPECT_EQ(texts[kTokenDamagedTitle], L"Battery exhausted");
    EXPECT_EQ(texts[kTokenCalculating], L"Calculating battery life");
    EXPECT_EQ(texts[kTokenTimeRemaining], L"%dh %dmins remaining");
    EXPECT_EQ(texts[8], L"");
    EXPECT_EQ(texts[1000], L"");
}

TEST(ResourceTokens, RunsOfSeparatorsCountAsOneAndEmptyTextHasNoTokens) {
    const ResourceTokens actions(L";;Sleep;;Restart;Shut Down;", L";");
    ASSERT_EQ(actions.Count(), 3u);
    EXPECT_EQ(actions[0], L"Sleep");
    EXPECT_EQ(actions[2], L"Shut Down");
    EXPECT_EQ(ResourceTokens(L"", L"\t").Count(), 0u);
    EXPECT_EQ(ResourceTokens(L"\t\t\t", L"\t").Count(), 0u);
    EXPECT_EQ(ResourceTokens()[0], L"");
}

TEST(BatteryFrames, EveryLevelBoundaryAndTheMainsPicture) {
    const std::pair<std::uint32_t, int> cases[] = {
        {0, 0},  {10, 0}, {11, 1}, {25, 1},  {26, 2},  {50, 2},  {51, 3},  {75, 3},
        {76, 4}, {95, 4}, {96, 5}, {100, 5}, {101, 6}, {254, 6}, {255, 6},
    };
    for (const auto& [percent, frame] : cases) {
        EXPECT_EQ(BatteryFrame(percent), frame) << percent << "%";
    }
    EXPECT_EQ(kMainsFrame, 6);
    EXPECT_EQ(kStartFrame, 7);
}

TEST(RemainingTime, EstimateIsBelievedUpToSixteenHoursForAFullBattery) {
    const LifeTimeCheck eightHoursAtHalf = CheckLifeTime(28800, 50);
    EXPECT_EQ(eightHoursAtHalf.scaled, 50u);
    EXPECT_TRUE(eightHoursAtHalf.believed);
    EXPECT_EQ(eightHoursAtHalf.hours, 8u);
    EXPECT_EQ(eightHoursAtHalf.minutes, 0u);

    EXPECT_FALSE(CheckLifeTime(28800, 40).believed);
    EXPECT_TRUE(CheckLifeTime(0, 0).believed);

    const LifeTimeCheck odd = CheckLifeTime(3 * 3600 + 25 * 60 + 7, 100);
    EXPECT_EQ(odd.hours, 3u);
    EXPECT_EQ(odd.minutes, 25u);
    EXPECT_EQ(odd.seconds, 7u);
}

TEST(RemainingTime, HugeEstimatesDoNotWrapIntoBelievableOnes) {
    // 42,949,673 * 100 is 4 in 32 bits, which would pass the check at any percentage.
    EXPECT_FALSE(CheckLifeTime(42949673, 100).believed);
    EXPECT_FALSE(CheckLifeTime(0xFFFFFFFE, 255).believed);
    EXPECT_EQ(CheckLifeTime(0xFFFFFFFE, 0).scaled, 0xFFFFFFFEull * 100 / 57600);
}

TEST(IndicatorTexts, PatternsAreFilledWithoutTrustingTheirConversions) {
    EXPECT_EQ(FillNumbers(L"%dh %dmins remaining", {8, 0}), L"8h 0mins remaining");
    EXPECT_EQ(FillNumbers(L"%d%%", {87}), L"87%");
    EXPECT_EQ(FillNumbers(L"noch %d Std. %d Min.", {1, 5}), L"noch 1 Std. 5 Min.");
    // A damaged translation: conversions that were never passed stay as text.
    EXPECT_EQ(FillNumbers(L"%s %d %d %d %n", {1, 2}), L"%s 1 2 %d %n");
    EXPECT_EQ(FillNumbers(L"trailing %", {1}), L"trailing %");
    EXPECT_EQ(PercentText(255), L"255%");
}

TEST(BatteryStatusCache, StartsWithoutTrustingTheEstimate) {
    const BatteryStatusCache view(OnBattery(80, 7200));
    EXPECT_EQ(view.Cache().lifeTime, kUnknownLifeTime);
    EXPECT_EQ(view.Cache().percent, 80);
}

TEST(BatteryStatusCache, MainsShowsThePercentageAndForgetsTheEstimate) {
    BatteryStatusCache view(OnBattery(80, 7200));
    view.OnPowerSettingChange(OnBattery(80, 7200), true, Texts());
    ASSERT_EQ(view.Cache().lifeTime, 7200u);

    const IndicatorUpdate update = view.OnPowerSettingChange(OnMains(64), false, Texts());
    EXPECT_EQ(update.frame, kMainsFrame);
    EXPECT_EQ(update.text, L"64%");
    EXPECT_EQ(update.traces, std::vector<std::wstring>{L"AC mode.\n"});
    EXPECT_EQ(view.Cache().lifeTime, kUnknownLifeTime);

    const IndicatorUpdate unknown = view.OnPowerSettingChange(OnMains(255), true, Texts());
    EXPECT_EQ(unknown.frame, kMainsFrame);
    EXPECT_FALSE(unknown.text);
}

TEST(BatteryStatusCache, PercentageNotificationOnBatteryShowsABelievedEstimate) {
    BatteryStatusCache view(OnBattery(50, kUnknownLifeTime));
    const IndicatorUpdate update = view.OnPowerSettingChange(OnBattery(50, 28800), true, Texts());
    EXPECT_EQ(update.frame, 2);
    EXPECT_EQ(update.text, L"8h 0mins remaining");
    const std::vector<std::wstring> traces{L"Battery life percent=50%.\n",
                                           L"28800*100/(16*3600)=50, 50\n",
                                           L"Battery life time=8:0:0\n"};
    EXPECT_EQ(update.traces, traces);
}

TEST(BatteryStatusCache, DisbelievedEstimateKeepsTheCalculatingText) {
    BatteryStatusCache view(OnBattery(40, kUnknownLifeTime));
    const IndicatorUpdate update = view.OnPowerSettingChange(OnBattery(40, 28800), true, Texts());
    EXPECT_EQ(update.frame, 2);
    EXPECT_EQ(update.text, L"Calculating battery life");
    const std::vector<std::wstring> traces{
        L"Battery life percent=40%.\n", L"28800*100/(16*3600)=50, 40\n",
        L"Wrong battery life time...ignore, ", L"Battery life time=8:0:0\n"};
    EXPECT_EQ(update.traces, traces);
}

TEST(BatteryStatusCache, OtherNotificationsReuseTheCachedEstimate) {
    BatteryStatusCache view(OnBattery(90, kUnknownLifeTime));
    // Right after the plug is pulled nothing is known yet, whatever the system reports.
    IndicatorUpdate update = view.OnPowerSettingChange(OnBattery(90, 3600), false, Texts());
    EXPECT_EQ(update.frame, 4);
    EXPECT_EQ(update.text, L"Calculating battery life");
    EXPECT_EQ(update.traces.size(), 1u);

    view.OnPowerSettingChange(OnBattery(90, 7260), true, Texts());
    update = view.OnPowerSettingChange(OnBattery(89, 60), false, Texts());
    EXPECT_EQ(update.frame, 4);
    EXPECT_EQ(update.text, L"2h 1mins remaining");
}

TEST(BatteryStatusCache, UnknownPercentageOnBatteryShowsTheMainsPicture) {
    BatteryStatusCache view(OnBattery(255, kUnknownLifeTime));
    const IndicatorUpdate update =
        view.OnPowerSettingChange(OnBattery(255, kUnknownLifeTime), true, Texts());
    EXPECT_EQ(update.frame, kMainsFrame);
    EXPECT_EQ(update.text, L"Calculating battery life");
}

TEST(BatteryStatusCache, TimerFollowsTheStatusOnBatteryOnly) {
    BatteryStatusCache view(OnMains(100));
    const IndicatorUpdate mains = view.OnPopupTimer(OnMains(100), Texts());
    EXPECT_FALSE(mains.frame);
    EXPECT_FALSE(mains.text);
    EXPECT_TRUE(mains.traces.empty());

    const IndicatorUpdate calculating = view.OnPopupTimer(OnBattery(70, kUnknownLifeTime), Texts());
    EXPECT_FALSE(calculating.frame);
    EXPECT_EQ(calculating.text, L"Calculating battery life");
    EXPECT_EQ(calculating.traces,
              std::vector<std::wstring>{L"Battery life time is calculating.\n"});

    const IndicatorUpdate known = view.OnPopupTimer(OnBattery(70, 5400), Texts());
    EXPECT_FALSE(known.frame);
    EXPECT_EQ(known.text, L"1h 30mins remaining");
    ASSERT_FALSE(known.traces.empty());
    EXPECT_EQ(known.traces.back(), L"Battery life time=1:30:0");

    // The tick's estimate is what the next non-percentage notification shows.
    const IndicatorUpdate next = view.OnPowerSettingChange(OnBattery(69, 0), false, Texts());
    EXPECT_EQ(next.text, L"1h 30mins remaining");
}

TEST(BatteryStatusCache, DisbelievedTickLeavesTheTextAlone) {
    BatteryStatusCache view(OnBattery(10, kUnknownLifeTime));
    const IndicatorUpdate update = view.OnPopupTimer(OnBattery(10, 36000), Texts());
    EXPECT_FALSE(update.text);
    EXPECT_EQ(update.traces.size(), 3u);
}

TEST(BatteryStatusCache, MissingTranslationGivesEmptyTexts) {
    BatteryStatusCache view(OnBattery(50, kUnknownLifeTime));
    const IndicatorUpdate update =
        view.OnPowerSettingChange(OnBattery(50, 1800), true, ResourceTokens());
    EXPECT_EQ(update.text, L"");
}

} // namespace
