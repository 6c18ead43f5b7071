// The popup's Windows-free rules: command line, list model, row text, navigation, keys.
#include "switcher/logic/CommandGrammar.h"
#include "switcher/logic/ListModel.h"
#include "switcher/logic/PopupRules.h"
#include "switcher/logic/PowerActions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace switcher;

std::vector<std::wstring> TraceFormats(const CommandLineReading& reading) {
    std::vector<std::wstring> formats;
    for (const GrammarTrace& trace : reading.traces) {
        formats.emplace_back(std::wstring(trace.format) + L"|" + trace.token);
    }
    return formats;
}

// --- command line -----------------------------------------------------------------------

TEST(CommandGrammar, EmptyLineStartsWithAnEmptyActionAndOneTrace) {
    const CommandLineReading reading = ReadCommandLine(L"");
    EXPECT_FALSE(reading.debug);
    EXPECT_EQ(reading.action, L"");
    EXPECT_EQ(reading.Action(), StartAction::Stay);
    EXPECT_EQ(TraceFormats(reading), std::vector<std::wstring>{L"1st Token=%s\n|"});
}

TEST(CommandGrammar, DebugAndCloseInAnyLetterCase) {
    const CommandLineReading reading = ReadCommandLine(L"DEBUG Close");
    EXPECT_TRUE(reading.debug);
    EXPECT_EQ(reading.Action(), StartAction::Close);
    EXPECT_EQ(TraceFormats(reading),
              (std::vector<std::wstring>{L"1st Token=%s\n|DEBUG", L"2nd Token=%s\n|Close"}));
}

TEST(CommandGrammar, PromptTakesOneWordThenTheAction) {
    const CommandLineReading reading = ReadCommandLine(L"prompt hello close_conti");
    EXPECT_FALSE(reading.debug);
    EXPECT_EQ(reading.prompt, L"hello");
    EXPECT_EQ(reading.Action(), StartAction::CloseContinue);
    EXPECT_EQ(TraceFormats(reading),
              (std::vector<std::wstring>{L"1st Token=%s\n|prompt", L"Prompt=%s\n|hello",
                                         L"3rd Token=%s\n|close_conti"}));
}

TEST(CommandGrammar, PromptFollowedByNothingLeavesTextAndActionEmpty) {
    const CommandLineReading reading = ReadCommandLine(L"debug prompt");
    EXPECT_TRUE(reading.debug);
    EXPECT_EQ(reading.prompt, L"");
    EXPECT_EQ(reading.action, L"");
    EXPECT_EQ(reading.traces.size(), 4u);
}

TEST(CommandGrammar, ThePromptWordItselfIsNeverTheAction) {
    // "prompt close": "close" is the prompt's text, and nothing follows as the action.
    EXPECT_EQ(ReadCommandLine(L"prompt close").Action(), StartAction::Stay);
    // Words after the action are not read.
    EXPECT_EQ(ReadCommandLine(L"close extra").Action(), StartAction::Close);
    // Only the first word can be "debug".
    const CommandLineReading late = ReadCommandLine(L"close debug");
    EXPECT_FALSE(late.debug);
    EXPECT_EQ(late.Action(), StartAction::Close);
}

TEST(CommandGrammar, WordsSplitAtRunsOfSpacesOnly) {
    EXPECT_EQ(SplitCommandLine(L"  debug   close  "),
              (std::vector<std::wstring>{L"debug", L"close"}));
    // A tab is part of a word, as with wcstok on " ".
    EXPECT_EQ(SplitCommandLine(L"debug\tclose"), std::vector<std::wstring>{L"debug\tclose"});
    EXPECT_EQ(ClassifyAction(L"close\t"), StartAction::Stay);
}

TEST(CommandGrammar, ActionsAreExactWordsIgnoringCase) {
    EXPECT_EQ(ClassifyAction(L"CLOSE_CONTI"), StartAction::CloseContinue);
    EXPECT_EQ(ClassifyAction(L"closed"), StartAction::Stay);
    EXPECT_EQ(ClassifyAction(L"close_"), StartAction::Stay);
    EXPECT_FALSE(EqualsNoCase(L"debug", L"debu"));
    // Only ASCII letters fold: no accidental match of other characters.
    EXPECT_FALSE(EqualsNoCase(L"[", L"{"));
}

// --- row text -----------------------------------------------------------------------------

TEST(RowText, TwentyCharactersShowInFullTwentyOneAreShortened) {
    EXPECT_EQ(ShortenRowText(L"12345678901234567890"), L"12345678901234567890");
    EXPECT_EQ(ShortenRowText(L"123456789012345678901"), L"12345678901234567...");
    EXPECT_EQ(ShortenRowText(L""), L"");
    EXPECT_EQ(ShortenRowText(L"Maximum battery life for travel").size(), 20u);
}

TEST(RowText, AShortenedTextNeverEndsInHalfASurrogatePair) {
    std::wstring text(16, L'a');
    text += L"\xD83D\xDD0B"; // one character in two units at 17 and 18
    text += L"tail";
    EXPECT_EQ(ShortenRowText(text), std::wstring(16, L'a') + L"...");
}

// --- list model ----------------------------------------------------------------------------

ListModel ListOf(int count, int rows = 4) {
    ListModel list(rows);
    for (int i = 0; i < count; ++i) {
        list.Add(L"scheme " + std::to_wstring(i));
    }
    return list;
}

TEST(ListModel, ActiveMarkOnTheSixthOfSixScrollsToAFullLastPage) {
    ListModel list = ListOf(6);
    EXPECT_TRUE(list.SetActiveMark(5));
    EXPECT_EQ(list.Mark(), 5);
    EXPECT_EQ(list.First(), 2);
    EXPECT_TRUE(list.CanScrollUp());
    EXPECT_FALSE(list.CanScrollDown());
}

TEST(ListModel, ActiveMarkHighInALongListBecomesTheTopRow) {
    ListModel list = ListOf(10);
    list.SetActiveMark(3);
    EXPECT_EQ(list.First(), 3);
    EXPECT_TRUE(list.CanScrollUp());
    EXPECT_TRUE(list.CanScrollDown());
}

TEST(ListModel, TwoSchemesNeedNoScrolling) {
    ListModel list = ListOf(2);
    list.SetActiveMark(1);
    EXPECT_EQ(list.First(), 0);
    EXPECT_FALSE(list.CanScrollUp());
    EXPECT_FALSE(list.CanScrollDown());
}

TEST(ListModel, ClearingTheMarkLeavesTheViewAlone) {
    ListModel list = ListOf(8);
    list.SetActiveMark(5);
    ASSERT_EQ(list.First(), 4);
    EXPECT_TRUE(list.SetActiveMark(-1));
    EXPECT_EQ(list.Mark(), -1);
    EXPECT_EQ(list.First(), 4); // never -1
}

TEST(ListModel, MarksOutsideTheListAreIgnored) {
    ListModel list = ListOf(3);
    list.SetActiveMark(1);
    EXPECT_FALSE(list.SetActiveMark(3));
    EXPECT_FALSE(list.SetActiveMark(-2));
    EXPECT_EQ(list.Mark(), 1);
}

TEST(ListModel, ScrollButtonsStopAtBothEnds) {
    ListModel list = ListOf(6);
    EXPECT_FALSE(list.ScrollUp());
    EXPECT_TRUE(list.ScrollDown());
    EXPECT_TRUE(list.ScrollDown());
    EXPECT_FALSE(list.ScrollDown()); // first + 4 == 6
    EXPECT_EQ(list.First(), 2);
    EXPECT_TRUE(list.ScrollUp());
    EXPECT_EQ(list.First(), 1);
}

TEST(ListModel, TwoItemsInFourRowsLeaveTheLastTwoRowsWithoutAnItem) {
    ListModel list = ListOf(2);
    list.Hover(0, 24);
    for (int row = 0; row < 4; ++row) {
        const RowLook look = list.Look(row);
        EXPECT_EQ(look.hasItem, row < 2) << row;
        EXPECT_EQ(look.item, row < 2 ? row : -1) << row;
    }
    EXPECT_TRUE(list.Look(0).highlighted);
    EXPECT_FALSE(list.Look(1).highlighted);
}

TEST(ListModel, HighlightShowsOnlyWhileTheListIsCurrent) {
    ListModel list = ListOf(3);
    list.SetActiveMark(2);
    list.Hover(24, 24);
    EXPECT_TRUE(list.Look(1).highlighted);
    list.Deactivate();
    EXPECT_FALSE(list.Look(1).highlighted);
    EXPECT_EQ(list.Highlight(), 1); // kept, only not drawn
    EXPECT_TRUE(list.Look(2).marked);
}

TEST(ListModel, HoverPicksTheRowUnderTheMouseFromTheTopRow) {
    ListModel list = ListOf(6);
    list.ScrollDown();
    const HoverOutcome first = list.Hover(50, 24); // third visible row
    EXPECT_FALSE(first.ignored);
    EXPECT_TRUE(first.becameActive);
    EXPECT_TRUE(first.repaint);
    EXPECT_EQ(list.Highlight(), 3);
    const HoverOutcome again = list.Hover(60, 24);
    EXPECT_FALSE(again.becameActive);
    EXPECT_FALSE(again.repaint); // same row: nothing to redraw
    EXPECT_TRUE(list.Hover(200, 24).ignored);
    EXPECT_EQ(list.Highlight(), 3);
}

TEST(ListModel, HoverOnAnEmptyListIsIgnoredAndDoesNotActivate) {
    ListModel list = ListOf(0);
    EXPECT_TRUE(list.Hover(0, 24).ignored);
    EXPECT_FALSE(list.Active());
}

TEST(ListModel, KeyboardHighlightStaysWithinTheVisibleRows) {
    ListModel list = ListOf(6);
    list.ScrollDown();
    EXPECT_TRUE(list.HighlightVisibleRow(3));
    EXPECT_EQ(list.Highlight(), 4);
    EXPECT_FALSE(list.HighlightVisibleRow(4));
    EXPECT_TRUE(list.HighlightVisibleRow(-1));
    EXPECT_EQ(list.Highlight(), -1);
    EXPECT_EQ(list.Selection(), -1);
    ListModel shortList = ListOf(2);
    EXPECT_FALSE(shortList.HighlightVisibleRow(2)); // no item there
}

TEST(ListModel, RefreshKeepsTheHighlightedVisibleRow) {
    ListModel list = ListOf(6);
    list.Hover(0, 24);
    list.HighlightVisibleRow(2);
    const int relative = list.VisibleHighlight();
    list.Clear();
    for (int i = 0; i < 6; ++i) {
        list.Add(L"again");
    }
    list.SetActiveMark(5);
    list.RestoreHighlightRelative(relative);
    EXPECT_EQ(list.First(), 2);
    EXPECT_EQ(list.Highlight(), 4); // still the third visible row
}

TEST(ListModel, RefreshPullsTheHighlightBackOntoTheLastItem) {
    ListModel list = ListOf(2);
    list.RestoreHighlightRelative(3);
    EXPECT_EQ(list.Highlight(), 1);
    ListModel empty = ListOf(0);
    empty.RestoreHighlightRelative(2);
    EXPECT_EQ(empty.Highlight(), -1);
    ListModel none = ListOf(5);
    none.RestoreHighlightRelative(-1); // nothing remembered: the top visible row
    EXPECT_EQ(none.Highlight(), 0);
}

TEST(ListModel, ClearKeepsWhetherTheListIsCurrent) {
    ListModel list = ListOf(3);
    list.Hover(0, 24);
    list.SetActiveMark(2);
    list.Clear();
    EXPECT_TRUE(list.Active());
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Mark(), -1);
    EXPECT_EQ(list.Highlight(), -1);
    EXPECT_EQ(list.First(), 0);
}

// --- navigation ---------------------------------------------------------------------------

struct Lists {
    ListModel schemes = ListOf(6);
    ListModel actions = ListOf(3);
};

TEST(Navigation, DownMovesWithinTheListUntilTheLastVisibleRow) {
    Lists l;
    l.schemes.Hover(0, 24);
    NavigationMove move;
    ASSERT_TRUE(Navigate(NavigationKey::Down, l.schemes, l.actions, move));
    EXPECT_FALSE(move.toOtherList);
    EXPECT_EQ(move.relative, 1);
    l.schemes.HighlightVisibleRow(3);
    ASSERT_TRUE(Navigate(NavigationKey::Down, l.schemes, l.actions, move));
    EXPECT_TRUE(move.toOtherList);
    EXPECT_EQ(move.relative, 0);
}

TEST(Navigation, DownFromTheLastItemOfAShortListGoesToTheOtherList) {
    Lists l;
    l.actions.Hover(48, 24); // "Shut Down", the third and last
    NavigationMove move;
    ASSERT_TRUE(Navigate(NavigationKey::Down, l.actions, l.schemes, move));
    EXPECT_TRUE(move.toOtherList);
    EXPECT_EQ(move.relative, 0);
}

TEST(Navigation, UpFromTheTopRowGoesToTheLastShownRowOfTheOtherList) {
    Lists l;
    l.schemes.Hover(0, 24);
    NavigationMove move;
    ASSERT_TRUE(Navigate(NavigationKey::Up, l.schemes, l.actions, move));
    EXPECT_TRUE(move.toOtherList);
    EXPECT_EQ(move.relative, 2); // three actions shown
    l.actions.Hover(0, 24);
    ASSERT_TRUE(Navigate(NavigationKey::Up, l.actions, l.schemes, move));
    EXPECT_TRUE(move.toOtherList);
    EXPECT_EQ(move.relative, 3); // four of six schemes shown
}

TEST(Navigation, NothingMovesWithoutAVisibleHighlight) {
    Lists l;
    NavigationMove move;
    EXPECT_FALSE(Navigate(NavigationKey::Down, l.schemes, l.actions, move));
    l.schemes.Hover(0, 24);
    l.schemes.ScrollDown(); // the highlighted row scrolled out of view
    EXPECT_FALSE(Navigate(NavigationKey::Down, l.schemes, l.actions, move));
}

TEST(Navigation, ThreeProfileKeysFromTheTopReachTheActionList) {
    // The first key shows the popup on the top row; each further one is a Down.
    Lists l;
    l.schemes = ListOf(3);
    l.schemes.Hover(0, 24);
    NavigationMove move;
    for (int press = 0; press < 2; ++press) {
        ASSERT_TRUE(Navigate(NavigationKey::Down, l.schemes, l.actions, move));
        ASSERT_FALSE(move.toOtherList);
        l.schemes.HighlightVisibleRow(move.relative);
    }
    EXPECT_EQ(l.schemes.Highlight(), 2);
    ASSERT_TRUE(Navigate(NavigationKey::Down, l.schemes, l.actions, move));
    EXPECT_TRUE(move.toOtherList);
}

// --- keys and idle ticks --------------------------------------------------------------------

TEST(PopupRules, ProfileKeyIsTheReleasedExtendedScanCodeFive) {
    EXPECT_EQ(ClassifyHookKey(false, 0, 5, 0x81), HookKey::Profile);
    EXPECT_EQ(ClassifyHookKey(false, 0, 5, 0x80), HookKey::Other); // not extended
    EXPECT_EQ(ClassifyHookKey(false, 0, 5, 0x01), HookKey::Other); // pressed, not released
    EXPECT_EQ(ClassifyHookKey(false, 0, 5, 0x91), HookKey::Other); // injected
    EXPECT_EQ(ClassifyHookKey(false, 0, 6, 0x81), HookKey::Battery);
    EXPECT_EQ(ClassifyHookKey(true, 0, 6, 0x81), HookKey::Battery);
}

TEST(PopupRules, F12CountsOnlyInDebugRunsAndOnlyWhenPressed) {
    EXPECT_EQ(ClassifyHookKey(false, 0x7B, 0x58, 0), HookKey::Other);
    EXPECT_EQ(ClassifyHookKey(true, 0x7B, 0x58, 0), HookKey::Profile);
    EXPECT_EQ(ClassifyHookKey(true, 0x7B, 0x58, 0x80), HookKey::Other);
    EXPECT_EQ(ClassifyHookKey(true, 0x7A, 0x57, 0), HookKey::Other);
}

TEST(PopupRules, TheThirdQuietTickHidesAndStartsOver) {
    PopupIdle idle;
    EXPECT_FALSE(idle.Tick());
    EXPECT_FALSE(idle.Tick());
    EXPECT_TRUE(idle.Tick());
    EXPECT_EQ(idle.Ticks(), 0);
    EXPECT_FALSE(idle.Tick());
    EXPECT_FALSE(idle.Tick());
    idle.Reset(); // any input
    EXPECT_FALSE(idle.Tick());
    EXPECT_FALSE(idle.Tick());
    EXPECT_TRUE(idle.Tick());
}

// --- power actions ----------------------------------------------------------------------------

TEST(PowerActions, RowsFollowTheSleepingStatesTheMachineSupports) {
    const std::wstring texts = L"Sleep;Restart;Shut Down";
    const auto all = BuildActionRows(texts, true, true, true);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].text, L"Restart");
    EXPECT_EQ(all[2].action, PowerAction::ShutDown);
    const auto noS4 = BuildActionRows(texts, true, false, true);
    ASSERT_EQ(noS4.size(), 2u);
    EXPECT_EQ(noS4[0].text, L"Sleep");
    EXPECT_EQ(noS4[1].text, L"Shut Down");
    EXPECT_EQ(noS4[1].action, PowerAction::ShutDown);
    EXPECT_TRUE(BuildActionRows(texts, false, false, false).empty());
}

TEST(PowerActions, ATranslationMissingWordsKeepsTheCodes) {
    const auto rows = BuildActionRows(L"Veille", true, true, true);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].text, L"Veille");
    EXPECT_EQ(rows[1].text, L"");
    EXPECT_EQ(rows[2].action, PowerAction::ShutDown);
    EXPECT_EQ(SplitWords(L";;a;;b;", L";"), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST(PowerActions, RestartRebootsAndShutDownPowersOffBothForcingHungPrograms) {
    EXPECT_EQ(ExitWindowsFlags(PowerAction::Restart), 0x12u);  // EWX_REBOOT | EWX_FORCEIFHUNG
    EXPECT_EQ(ExitWindowsFlags(PowerAction::ShutDown), 0x18u); // EWX_POWEROFF | ...
    EXPECT_EQ(ExitWindowsFlags(PowerAction::Sleep), 0u);
}

} // namespace
