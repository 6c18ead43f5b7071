// The tray program's rules, checked without Windows: tooltip text, timer dispatch, when a
// power event applies, the reconditioning reminder, linked programs, the scheme menu and the
// command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tray/logic/CommandWord.h"
#include "tray/logic/AsciiText.h"
#include "tray/logic/IconReference.h"
#include "tray/logic/LinkedMatch.h"
#include "tray/logic/PowerDecision.h"
#include "tray/logic/ReminderRules.h"
#include "tray/logic/SchemeMenu.h"
#include "tray/logic/TimerDispatch.h"
#include "tray/logic/Tooltip.h"
#include "tray/logic/TrayIds.h"
#include "LeadBytes.h"

using namespace tray;

namespace {

constexpr char kModeFormat[] = "%s ( %s Mode ), Battery Remaining: %d %%";
constexpr char kReadOnlyFormat[] = "%s, Battery Remaining: %d %%";

TooltipParts Parts(int acStatus, int percent, std::string_view name, bool readOnly = false) {
    TooltipParts parts;
    parts.readOnly = readOnly;
    parts.acStatus = acStatus;
    parts.percent = percent;
    parts.onAcWord = "On AC power";
    parts.onBatteryWord = "On Battery power";
    parts.modeFormat = kModeFormat;
    parts.readOnlyFormat = kReadOnlyFormat;
    parts.modeName = name;
    return parts;
}

} // namespace

TEST(Tooltip, NamesThePowerSourceTheModeAndTheCharge) {
    EXPECT_EQ(BuildTooltip(Parts(1, 87, "Full POWER")),
              "On AC power ( Full POWER Mode ), Battery Remaining: 87 %");
    EXPECT_EQ(BuildTooltip(Parts(0, 60, "Normal")),
              "On Battery power ( Normal Mode ), Battery Remaining: 60 %");
    // An unknown source counts as battery, an unknown charge as 0.
    EXPECT_EQ(BuildTooltip(Parts(-1, -1, "Normal")),
              "On Battery power ( Normal Mode ), Battery Remaining: 0 %");
}

TEST(Tooltip, ReadOnlyModeLeavesTheModeOut) {
    EXPECT_EQ(BuildTooltip(Parts(1, 55, "ignored", true)), "On AC power, Battery Remaining: 55 %");
}

TEST(Tooltip, ALongNameIsCutWithDotsSoTheTipIsExactly63) {
    const std::string tip =
        BuildTooltip(Parts(0, 100, "A mode with a rather long name for the tray"));
    EXPECT_EQ(tip, "On Battery power ( A mode w... Mode ), Battery Remaining: 100 %");
    EXPECT_EQ(tip.size(), kTipLength);
}

TEST(Tooltip, ShorteningFollowsTheRoomThatIsLeft) {
    // 60 characters of frame around the name: room for 3 of its characters, no dots.
    const std::string frame(60, 'x');
    EXPECT_EQ(FitTooltip(frame + "ABCDEFG", "ABCDEFG"), frame + "ABC");
    EXPECT_EQ(FitTooltip(std::string(62, 'x') + "ABCDEFG", "ABCDEFG"), std::string(62, 'x') + "A");
    // No room at all: left as it is for the shell to cut.
    const std::string full = std::string(63, 'x') + "ABCDEFG";
    EXPECT_EQ(FitTooltip(full, "ABCDEFG"), full);
    // Less than none: the name becomes the dots alone.
    EXPECT_EQ(FitTooltip(std::string(70, 'x') + "ABC", "ABC"), std::string(70, 'x') + "...");
    // Four characters of room: one of the name, then the dots.
    EXPECT_EQ(FitTooltip(std::string(59, 'x') + "ABCDEFG", "ABCDEFG"),
              std::string(59, 'x') + "A...");
}

TEST(Tooltip, EveryOccurrenceOfTheNameIsReplaced) {
    // The cut is worked out for one occurrence (66 characters, 3 too many), then applied to
    // both.
    const std::string text = "Long Name / " + std::string(42, '-') + " / Long Name";
    EXPECT_EQ(FitTooltip(text, "Long Name"), "Lon... / " + std::string(42, '-') + " / Lon...");
    EXPECT_EQ(FitTooltip("short", "short"), "short");
    EXPECT_EQ(FitTooltip(std::string(80, 'y'), ""), std::string(80, 'y'));
}

TEST(Tooltip, DoubleByteNamesAreCutBetweenCharacters) {
    const framework::LeadBytePredicate sjis = testing_support::IsCp932LeadByte;
    // "長時間駆動モード" (long life mode): 8 characters, 16 bytes in code page 932.
    const std::string name = "\x92\xB7\x8E\x9E\x8A\xD4\x8B\xEC\x93\xAE\x83\x82\x81\x5B\x83\x68";
    // 52 bytes of frame: 11 left for the name, 8 before the dots, which is 4 characters.
    const std::string frame(52, 'x');
    EXPECT_EQ(FitTooltip(frame + name, name, sjis), frame + name.substr(0, 8) + "...");
    // 53 bytes of frame: 7 before the dots, so only 3 characters; the tip is 62 bytes.
    const std::string tip = FitTooltip(std::string(53, 'x') + name, name, sjis);
    EXPECT_EQ(tip, std::string(53, 'x') + name.substr(0, 6) + "...");
    EXPECT_EQ(tip.size(), kTipLength - 1);
    // Room for 3 bytes without dots: one character.
    EXPECT_EQ(FitTooltip(std::string(60, 'x') + name, name, sjis),
              std::string(60, 'x') + name.substr(0, 2));
}

TEST(Tooltip, ANameIsOnlyFoundWhereACharacterStarts) {
    const framework::LeadBytePredicate sjis = testing_support::IsCp932LeadByte;
    // "ア" is 0x83 0x41: its trail byte reads as "A", the start of the name "AB".
    // 64 bytes: the name loses one.
    const std::string text = std::string("\x83") + "AB" + std::string(59, '-') + "AB";
    EXPECT_EQ(FitTooltip(text, "AB", sjis),
              std::string("\x83") + "AB" + std::string(59, '-') + "A");
    // Without the code page's rule the false match is replaced too.
    EXPECT_EQ(FitTooltip(text, "AB"), std::string("\x83") + "A" + std::string(59, '-') + "A");
}

TEST(Tooltip, ResourceFormatsCannotReadPastTheirArguments) {
    EXPECT_EQ(FormatResourceText("%s %s %s %d%%", {"a", "b"}, 5), "a b %s 5%");
    EXPECT_EQ(FormatResourceText("%x %n %", {}, 1), "%x %n %");
    EXPECT_EQ(FormatResourceText("%d/%d", {}, -3), "-3/-3");
}

TEST(TimerDispatch, EachTimerHasItsWork) {
    EXPECT_EQ(DecideTimer(TIMER_REFRESH_POWER_OPTIONS, 0), TimerAction::RefreshPowerOptions);
    EXPECT_EQ(DecideTimer(TIMER_HIDE_SYSTEM_METER, 0), TimerAction::HideSystemMeter);
    EXPECT_EQ(DecideTimer(TIMER_LINKED_PROGRAMS, 0), TimerAction::CheckLinkedPrograms);
    EXPECT_EQ(DecideTimer(TIMER_BATTERY_LEARNING, 0), TimerAction::CheckBatteryLearning);
    EXPECT_EQ(DecideTimer(TIMER_SINGLE_CLICK, 0), TimerAction::SingleClick);
    EXPECT_EQ(DecideTimer(TIMER_RESUME, 0), TimerAction::Resume);
    EXPECT_EQ(DecideTimer(2, 0), TimerAction::None);
    EXPECT_EQ(DecideTimer(4, 0), TimerAction::None);
    EXPECT_EQ(DecideTimer(6, 0), TimerAction::None);
}

TEST(TimerDispatch, APendingRefreshTakesTheNextTickOfAnyTimer) {
    EXPECT_EQ(DecideTimer(TIMER_LINKED_PROGRAMS, 7), TimerAction::RefreshPowerOptions);
    EXPECT_EQ(DecideTimer(TIMER_RESUME, 1), TimerAction::RefreshPowerOptions);
    EXPECT_EQ(DecideTimer(42, 1), TimerAction::RefreshPowerOptions);
}

TEST(TimerDispatch, ARefreshRequestArmsOnlyWhenItDiffersFromThePendingOne) {
    EXPECT_TRUE(ShouldArmRefresh(5, 0));
    EXPECT_FALSE(ShouldArmRefresh(5, 5));
    EXPECT_FALSE(ShouldArmRefresh(0, 0));
    EXPECT_TRUE(ShouldArmRefresh(0, 5));
}

TEST(PowerDecision, UnpluggingAppliesTheBatteryColumn) {
    const PowerDecision d = DecidePowerStatus(false, 0, 1, 1, 0);
    EXPECT_EQ(d.step, PowerStep::Apply);
    EXPECT_EQ(d.lastAcStatus, 0);
    EXPECT_EQ(d.lastColumn, 1);
}

TEST(PowerDecision, OnBatteryANewBandApplies) {
    const PowerDecision d = DecidePowerStatus(false, 0, 2, 0, 1);
    EXPECT_EQ(d.step, PowerStep::Apply);
    EXPECT_EQ(d.lastColumn, 2);
    EXPECT_EQ(DecidePowerStatus(false, 0, 1, 0, 1).step, PowerStep::TooltipOnly);
}

TEST(PowerDecision, OnMainsANewBandOnlyUpdatesTheTooltip) {
    const PowerDecision d = DecidePowerStatus(false, 1, 1, 1, 2);
    EXPECT_EQ(d.step, PowerStep::TooltipOnly);
    EXPECT_EQ(d.lastColumn, 2); // unchanged: the next unplug compares against it
}

TEST(PowerDecision, ReadOnlyModeNeverApplies) {
    const PowerDecision d = DecidePowerStatus(true, 0, 3, 1, 0);
    EXPECT_EQ(d.step, PowerStep::TooltipAndIcon);
    EXPECT_EQ(d.lastAcStatus, 1);
    EXPECT_EQ(d.lastColumn, 0);
}

TEST(PowerDecision, LosingTheReadingIsAChangeOfSource) {
    EXPECT_EQ(DecidePowerStatus(false, -1, -1, 1, 0).step, PowerStep::Apply);
    EXPECT_EQ(DecidePowerStatus(false, -1, -1, -1, -1).step, PowerStep::TooltipOnly);
}

TEST(Reminder, EveryFiftyCyclesUnderTheDefaultRule) {
    EXPECT_EQ(DecideReminder(kRemindEvery50, 0, 0), ReminderStep::Nothing);
    EXPECT_EQ(DecideReminder(kRemindEvery50, 0, 50), ReminderStep::Show);
    EXPECT_EQ(DecideReminder(kRemindEvery50, 0, 300), ReminderStep::Show);
    EXPECT_EQ(DecideReminder(kRemindEvery50, 0, 49), ReminderStep::Nothing);
}

TEST(Reminder, AtTheStoredCycleOrBackToTheDefaultRule) {
    EXPECT_EQ(DecideReminder(kRemindAtNext, 120, 120), ReminderStep::Show);
    EXPECT_EQ(DecideReminder(kRemindAtNext, 120, 60), ReminderStep::Reset);
    EXPECT_EQ(DecideReminder(kRemindAtNext, 120, 100), ReminderStep::Nothing);
    EXPECT_EQ(DecideReminder(kRemindAtNext, 120, 70), ReminderStep::Nothing);
    EXPECT_EQ(DecideReminder(kRemindAtNext, 120, 69), ReminderStep::Reset);
    // Past the stored cycle by less than 200: back to the default rule; by more, wait for it.
    EXPECT_EQ(DecideReminder(kRemindAtNext, 120, 319), ReminderStep::Reset);
    EXPECT_EQ(DecideReminder(kRemindAtNext, 5, 245), ReminderStep::Nothing);
}

TEST(Reminder, NeverAndUnknownFlags) {
    EXPECT_EQ(DecideReminder(kRemindNever, 0, 50), ReminderStep::Nothing);
    EXPECT_EQ(DecideReminder(3, 0, 50), ReminderStep::Reset);
    EXPECT_EQ(DecideReminder(0xFFFFFFFF, 7, 7), ReminderStep::Reset);
}

// One failed read of the embedded controller must not wipe the user's "Remind Me Later" or
// "No": a count that is not known is compared with nothing. A flag no answer writes is reset
// whatever the count.
TEST(Reminder, AFailedCycleReadingLeavesTheStoredChoiceAlone) {
    EXPECT_EQ(DecideReminder(kRemindEvery50, 0, -1), ReminderStep::Nothing);
    EXPECT_EQ(DecideReminder(kRemindNever, 0, -1), ReminderStep::Nothing);
    EXPECT_EQ(DecideReminder(kRemindAtNext, 120, -1), ReminderStep::Nothing);
    EXPECT_EQ(DecideReminder(kRemindAtNext, 49, -1), ReminderStep::Nothing);
    EXPECT_EQ(DecideReminder(kRemindAtNext, 0xFFFFFFFF, -1), ReminderStep::Nothing);
    EXPECT_EQ(DecideReminder(4, 0, -1), ReminderStep::Reset);
}

TEST(Reminder, AnswersStoreTheNextCycleModulo250) {
    EXPECT_EQ(ChoiceForLater(245).nextCycle, 5u);
    EXPECT_EQ(ChoiceForLater(240).nextCycle, 250u); // 250 does not exceed 250
    EXPECT_EQ(ChoiceForLater(240).msgFlg, kRemindAtNext);
    EXPECT_EQ(ChoiceForAnswer(false, 100).nextCycle, 150u);
    EXPECT_EQ(ChoiceForAnswer(false, 200).nextCycle, 250u);
    EXPECT_EQ(ChoiceForAnswer(false, 201).nextCycle, 1u);
    EXPECT_EQ(ChoiceForAnswer(false, 1000).nextCycle, 50u);
    const ReminderChoice never = ChoiceForAnswer(true, 100);
    EXPECT_EQ(never.msgFlg, kRemindNever);
    EXPECT_EQ(never.nextCycle, 0u);
}

TEST(Reminder, OnlyNickelMetalHydrideIsReconditioned) {
    EXPECT_TRUE(NeedsReconditioning("NiMh"));
    EXPECT_TRUE(NeedsReconditioning("NIMH"));
    EXPECT_TRUE(NeedsReconditioning("nimh"));
    EXPECT_FALSE(NeedsReconditioning("LION"));
    EXPECT_FALSE(NeedsReconditioning(std::string_view("NiM\0", 4)));
    EXPECT_FALSE(NeedsReconditioning("NiMhX"));
}

namespace {

struct CountingModules {
    ModuleList list;
    int calls = 0;
    ModuleSource Source() {
        return [this]() -> const ModuleList& {
            ++calls;
            return list;
        };
    }
};

const std::vector<LinkedScheme> kLinked = {
    {0, 1, ""},
    {1, 0, "C:\\Games\\Race.exe"},
    {2, 0, "C:\\Tools\\Video.exe"},
    {3, 1, "C:\\Tools\\Video.exe"},
    {4, 0, "C:\\Tools\\Video.exe"},
};

} // namespace

TEST(LinkedMatch, TheFirstModeForThePowerSourceWhoseProgramIsLoadedWins) {
    CountingModules modules;
    modules.list = {"C:\\Windows\\ntdll.dll", "c:\\tools\\VIDEO.EXE"};
    EXPECT_EQ(FindLinkedMatch(kLinked, 0, modules.Source(), SameTextIgnoringAsciiCase), 2);
    EXPECT_EQ(FindLinkedMatch(kLinked, 1, modules.Source(), SameTextIgnoringAsciiCase), 3);
}

TEST(LinkedMatch, TheForegroundProcessIsListedAtMostOnce) {
    CountingModules modules;
    modules.list = {"C:\\Other.exe"};
    EXPECT_EQ(FindLinkedMatch(kLinked, 0, modules.Source(), SameTextIgnoringAsciiCase), -1);
    EXPECT_EQ(modules.calls, 1);
}

TEST(LinkedMatch, NothingIsListedWithoutACandidate) {
    CountingModules modules;
    const std::vector<LinkedScheme> unlinked = {{0, 1, ""}, {1, 0, "C:\\Race.exe"}};
    EXPECT_EQ(FindLinkedMatch(unlinked, 1, modules.Source(), SameTextIgnoringAsciiCase), -1);
    EXPECT_EQ(FindLinkedMatch(kLinked, -1, modules.Source(), SameTextIgnoringAsciiCase), -1);
    EXPECT_EQ(modules.calls, 0);
}

TEST(LinkedMatch, AnUnknownSourceMatchesNoModeWhateverItsStoredWord) {
    CountingModules modules;
    modules.list = {"C:\\Race.exe"};
    const std::vector<LinkedScheme> odd = {{7, 0xFFFFFFFF, "C:\\Race.exe"}};
    EXPECT_EQ(FindLinkedMatch(odd, -1, modules.Source(), SameTextIgnoringAsciiCase), -1);
}

TEST(LinkedMatch, WholePathsOnly) {
    EXPECT_TRUE(SameTextIgnoringAsciiCase("C:\\A\\b.EXE", "c:\\a\\B.exe"));
    EXPECT_FALSE(SameTextIgnoringAsciiCase("C:\\A\\b.exe", "C:\\A\\b.ex"));
    EXPECT_FALSE(SameTextIgnoringAsciiCase("b.exe", "C:\\A\\b.exe"));
}

TEST(LinkedMatch, SwitchToTheMatchOrBackToTheStoredMode) {
    EXPECT_EQ(DecideLinkedSwitch(3, 2, 2).id, 3);
    EXPECT_TRUE(DecideLinkedSwitch(3, 2, 2).needed);
    EXPECT_FALSE(DecideLinkedSwitch(3, 3, 2).needed);
    const LinkedSwitch back = DecideLinkedSwitch(-1, 3, 2);
    EXPECT_TRUE(back.needed);
    EXPECT_EQ(back.id, 2);
    EXPECT_FALSE(DecideLinkedSwitch(-1, 2, 2).needed);
}

TEST(SchemeMenu, ListsTheModesOfThePowerSourceInIdOrder) {
    const std::vector<SchemeEntry> schemes = {
        {0, 1, "Full POWER"}, {1, 0, "Long Life"}, {2, 0, "Normal"}, {5, 1, "Mine"}};
    const auto battery = SchemeMenuItems(schemes, 0);
    ASSERT_EQ(battery.size(), 2u);
    EXPECT_EQ(battery[0].command, ID_SCHEME_FIRST + 1);
    EXPECT_EQ(battery[0].text, "Long Life");
    EXPECT_EQ(battery[1].command, ID_SCHEME_FIRST + 2);
    const auto mains = SchemeMenuItems(schemes, 1);
    ASSERT_EQ(mains.size(), 2u);
    EXPECT_EQ(mains[1].command, 33773u);
    EXPECT_TRUE(SchemeMenuItems(schemes, -1).empty());
}

TEST(SchemeMenu, IdsBeyondTheCommandRangeAreNeitherReadNorListed) {
    EXPECT_EQ(LastSchemeIdToRead(4), 4);
    EXPECT_EQ(LastSchemeIdToRead(-1), -1);
    EXPECT_EQ(LastSchemeIdToRead(2000000000), 1000);
    const std::vector<SchemeEntry> schemes = {{1000, 0, "last"}, {1001, 0, "beyond"}};
    const auto items = SchemeMenuItems(schemes, 0);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].command, ID_SCHEME_LAST);
}

TEST(SchemeMenu, CommandStates) {
    EXPECT_EQ(SchemeIdForCommand(33768), 0);
    EXPECT_EQ(SchemeIdForCommand(34768), 1000);
    EXPECT_FALSE(SchemeIdForCommand(34769).has_value());
    EXPECT_FALSE(SchemeIdForCommand(ID_ADJUST_PROPERTIES).has_value());

    EXPECT_EQ(SchemeInForce(1, 0, 2), 0);
    EXPECT_EQ(SchemeInForce(0, 0, 2), 2);
    EXPECT_EQ(SchemeInForce(-1, 0, 2), 2);

    const CommandLook inForce = SchemeCommandLook(33770, 2, false);
    EXPECT_TRUE(inForce.checked);
    EXPECT_TRUE(inForce.enabled);
    EXPECT_FALSE(SchemeCommandLook(33771, 2, false).checked);
    EXPECT_FALSE(SchemeCommandLook(33770, 2, true).enabled);
    EXPECT_FALSE(AdjustPropertiesLook(true).enabled);
    EXPECT_TRUE(AdjustPropertiesLook(false).enabled);
}

TEST(CommandWord, OnlyTheExactWordCloseRemoves) {
    const char* close[] = {"Close"};
    EXPECT_TRUE(IsRemovalRun(FirstPlainParameter(close)));
    const char* lower[] = {"close"};
    EXPECT_FALSE(IsRemovalRun(FirstPlainParameter(lower)));
    const char* upper[] = {"CLOSE"};
    EXPECT_FALSE(IsRemovalRun(FirstPlainParameter(upper)));
    EXPECT_FALSE(IsRemovalRun(FirstPlainParameter({})));
}

TEST(CommandWord, FlagsAreSkippedAndOnlyTheFirstPlainParameterCounts) {
    const char* flagged[] = {"/embedding", "-x", "Close"};
    EXPECT_EQ(FirstPlainParameter(flagged), "Close");
    const char* second[] = {"other", "Close"};
    EXPECT_FALSE(IsRemovalRun(FirstPlainParameter(second)));
}

TEST(IconReference, FileAndIndexSplitAtTheFirstComma) {
    const IconReference factory = ParseIconReference("VoVOZI.dll,3");
    EXPECT_EQ(factory.file, "VoVOZI.dll");
    EXPECT_EQ(factory.index, 3);
    const IconReference twoCommas = ParseIconReference("C:\\a,b.dll,2");
    EXPECT_EQ(twoCommas.file, "C:\\a");
    EXPECT_EQ(twoCommas.index, 0);
    EXPECT_EQ(ParseIconReference("VoVOZI.dll").file, "");
    EXPECT_EQ(ParseIconReference("x.ico, -7").index, -7);
    EXPECT_EQ(ParseIconReference("x.ico,99999999999999").index, 2147483647);
    EXPECT_EQ(ParseIconReference("x.ico,-99999999999999").index, -2147483647 - 1);
    EXPECT_EQ(ParseIconReference("").file, "");
}
