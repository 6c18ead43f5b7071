// The rules of the Power Save Modes page and of the scheme settings page: list rows and their
// radio check boxes, copies and their numbers, Delete and Save, the slider partners, the
// hard-disk limit, the column in effect and the help strings.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "applet/logic/HelpIds.h"
#include "applet/logic/IconReference.h"
#include "applet/logic/ModeListRules.h"
#include "applet/logic/SettingsRules.h"

namespace applet {
namespace {

bool NoLeadBytes(unsigned char) {
    return false;
}

std::vector<ModeEntry> FactoryModes() {
    // Ids 0..4 as the installer writes them: one AC mode, four battery modes.
    return {{0, true}, {1, false}, {2, false}, {3, false}, {4, false}};
}

TEST(ModeList, RowsOfAKindInArrayOrderWithoutDeletedModes) {
    std::vector<ModeEntry> modes = FactoryModes();
    modes.push_back({7, false, true, false});
    modes[2].deleted = true;
    EXPECT_EQ(ListRows(modes, true), (std::vector<int>{0}));
    EXPECT_EQ(ListRows(modes, false), (std::vector<int>{1, 3, 4, 7}));
}

TEST(ModeList, CheckBoxesActAsRadioButtons) {
    // Another row checked by the user: the others lose their check, Apply is enabled.
    CheckOutcome o = OnCheckChange({2, true, 0, true});
    EXPECT_TRUE(o.uncheckOthers);
    EXPECT_TRUE(o.notify);
    EXPECT_EQ(o.rememberedRow, 2);
    // The checked row unchecked: checked again, nothing changed.
    o = OnCheckChange({2, false, 2, true});
    EXPECT_TRUE(o.checkAgain);
    EXPECT_FALSE(o.notify);
    EXPECT_EQ(o.rememberedRow, 2);
    // Another row losing its check (the radio step itself) changes nothing.
    o = OnCheckChange({1, false, 2, true});
    EXPECT_FALSE(o.checkAgain || o.uncheckOthers || o.notify);
    // The page's own filling checks the current row without enabling Apply.
    o = OnCheckChange({1, true, -1, false});
    EXPECT_TRUE(o.uncheckOthers);
    EXPECT_FALSE(o.notify);
    EXPECT_EQ(o.rememberedRow, 1);
    // The same row checked again is no change either.
    EXPECT_FALSE(OnCheckChange({1, true, 1, true}).notify);
}

TEST(ModeList, FactoryRowsCannotBeDeleted) {
    EXPECT_FALSE(DeleteAllowed(0, 2));
    EXPECT_FALSE(DeleteAllowed(1, 2));
    EXPECT_TRUE(DeleteAllowed(2, 2));
    EXPECT_FALSE(DeleteAllowed(-1, 0)) << "nothing selected";
}

TEST(ModeList, CopiesArePrefixedOncePerCopyAndFitTheStore) {
    EXPECT_EQ(CopyName("Copy %s", "Long Life Mode", NoLeadBytes), "Copy Long Life Mode");
    EXPECT_EQ(CopyName("Copy %s", CopyName("Copy %s", "Normal", NoLeadBytes), NoLeadBytes),
              "Copy Copy Normal");
    // A name the registry could not give back (200 bytes and more) would be lost on reading.
    const std::string copy = CopyName("Copy %s", std::string(198, 'n'), NoLeadBytes);
    EXPECT_EQ(copy.size(), 199U);
    const auto lead = [](unsigned char c) { return c >= 0x81 && c <= 0x9F; };
    std::string wide;
    for (int i = 0; i < 98; ++i) {
        wide += "\x82\xA0";
    }
    EXPECT_EQ(CopyName("Copy %s", wide, lead).size(), 5U + 2 * 97) << "no half character";
    // A language that puts the word after the name keeps it when the name is cut.
    const std::string after = CopyName("%s - Kopya", std::string(198, 'n'), NoLeadBytes);
    EXPECT_EQ(after.size(), 199U);
    EXPECT_EQ(after.substr(190), "n - Kopya");
}

TEST(ModeList, CopyNumbersComeAfterLastIdAndEveryModeInUse) {
    EXPECT_EQ(NextModeId(4, {0, 1, 2, 3, 4}), 5) << "a copy of the highest mode: LastID + 1";
    EXPECT_EQ(NextModeId(4, {0, 1, 2, 3, 4, 9}), 10) << "a key above a LastID too low";
    EXPECT_EQ(NextModeId(-1, {}), 0) << "no LastID and no modes";
    EXPECT_EQ(NextModeId(-5, {2}), 3);
    // A damaged LastID at the top of the range: the lowest free number, no overflow.
    EXPECT_EQ(NextModeId(INT_MAX, {0, 1, 2, 3, 4}), 5);
    EXPECT_EQ(NextModeId(3, {0, 1, 2, INT_MAX}), 3);
    EXPECT_EQ(NextModeId(INT_MAX, {-3, 1}), 0);
}

TEST(ModeList, DeletingTheCheckedModeChecksTheFactoryDefaultNotTheNextRow) {
    EXPECT_EQ(CurrentAfterDelete({1, 2, 4, 6}, 5, 5, 2), 2);
    // Another row deleted: the checked one stays.
    EXPECT_EQ(CurrentAfterDelete({1, 2, 4, 5}, 5, 6, 2), 5);
    // A factory default the list does not show (the machine's record is missing or damaged).
    EXPECT_EQ(CurrentAfterDelete({1, 2, 4}, 5, 5, 0), 1);
    EXPECT_EQ(CurrentAfterDelete({}, 5, 5, 2), -1);
}

TEST(ModeList, SaveDeletesWritesAndLowersLastId) {
    std::vector<ModeEntry> modes = FactoryModes();
    modes.push_back({5, false, true, true}); // a copy deleted again
    modes.push_back({6, false, true, false});
    modes[1].modified = true;
    SavePlan plan = PlanSave(modes);
    EXPECT_EQ(plan.remove, (std::vector<int>{5}));
    EXPECT_EQ(plan.write, (std::vector<int>{1, 6}));
    EXPECT_EQ(plan.lastId, 6);
    // The highest mode deleted: LastID goes down to the highest left.
    modes[6].deleted = true;
    plan = PlanSave(modes);
    EXPECT_EQ(plan.remove, (std::vector<int>{5, 6}));
    EXPECT_EQ(plan.lastId, 4);
    // Two deletions, the second undone: the first is still removed at Save.
    modes[6].deleted = false;
    EXPECT_EQ(PlanSave(modes).remove, (std::vector<int>{5}));
    EXPECT_EQ(PlanSave({}).lastId, 0);
}

TEST(SettingsPartners, StandbyAndHibernateKeepTheirOrder) {
    // Stand-by to "5 hours" (2) with hibernate at "2 hours" (6): hibernate to "6 hours" (2).
    EXPECT_EQ(HibernateAfterStandbyMove(2, 6), 2);
    EXPECT_EQ(HibernateAfterStandbyMove(7, 4), 4) << "hibernate already longer";
    EXPECT_EQ(HibernateAfterStandbyMove(1, 9), 9) << "stand-by off";
    EXPECT_EQ(HibernateAfterStandbyMove(5, 1), 1) << "hibernate off";
    // Hibernate to "1 min" (17): stand-by to "Never" (1).
    EXPECT_EQ(StandbyAfterHibernateMove(17, 8, 17), 1);
    EXPECT_EQ(StandbyAfterHibernateMove(6, 3, 17), 6);
    EXPECT_EQ(StandbyAfterHibernateMove(6, 9, 17), 9);
    EXPECT_EQ(StandbyAfterHibernateMove(6, 1, 17), 1) << "stand-by off stays off";
}

TEST(SettingsPartners, HardDiskChoicesEndAtTheSystemMinimum) {
    EXPECT_EQ(DiskSliderMaximum(180, 16), 14) << "3 minutes: \"3 min\"";
    EXPECT_EQ(DiskSliderMaximum(60, 16), 16);
    EXPECT_EQ(DiskSliderMaximum(18000, 16), 2);
    EXPECT_EQ(DiskSliderMaximum(240, 16), 16) << "4 minutes is not a listed time";
    EXPECT_EQ(DiskSliderMaximum(0, 16), 16) << "unreadable: every choice stays";
}

TEST(SettingsColumns, TheColumnInEffectFollowsSourceModeAndBattery) {
    EXPECT_EQ(ColumnInEffect(1, true, 3, 3, 1, 40), 0);
    EXPECT_EQ(ColumnInEffect(1, true, 0, 3, 1, 40), -1) << "not the AC mode in force";
    EXPECT_EQ(ColumnInEffect(1, false, 1, 3, 1, 40), -1) << "battery mode on mains";
    EXPECT_EQ(ColumnInEffect(0, false, 1, 3, 1, 76), 0);
    EXPECT_EQ(ColumnInEffect(0, false, 1, 3, 1, 75), 1);
    EXPECT_EQ(ColumnInEffect(0, false, 1, 3, 1, 26), 2);
    EXPECT_EQ(ColumnInEffect(0, false, 1, 3, 1, 25), 3);
    EXPECT_EQ(ColumnInEffect(0, false, 1, 3, 1, 255), -1) << "no reading";
    EXPECT_EQ(ColumnInEffect(0, true, 3, 3, 1, 90), -1) << "AC mode on battery";
    EXPECT_EQ(ColumnInEffect(-1, true, 3, 3, 3, 90), -1) << "source unknown";
    EXPECT_EQ(ColumnInEffect(1, true, -1, 0xFFFFFFFF, 1, 90), -1);
}

TEST(SettingsColumns, IconsInEffectAndIdle) {
    EXPECT_EQ(ColumnIcon(true, 0, true), 166);
    EXPECT_EQ(ColumnIcon(true, 0, false), 1051);
    const int inEffect[] = {158, 156, 157, 155};
    const int idle[] = {1006, 1055, 1054, 1053};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(ColumnIcon(false, column, true), inEffect[column]);
        EXPECT_EQ(ColumnIcon(false, column, false), idle[column]);
    }
}

TEST(HelpTables, ModesPageButtonsShareOneTextPerRole) {
    EXPECT_EQ(ModesPageHelpId(1128), 1124);
    EXPECT_EQ(ModesPageHelpId(1129), 1125);
    EXPECT_EQ(ModesPageHelpId(1130), 1126);
    EXPECT_EQ(ModesPageHelpId(1127), 1131);
    EXPECT_EQ(ModesPageHelpId(1134), 1133);
    EXPECT_EQ(ModesPageHelpId(1140), 1140);
}

TEST(HelpTables, SettingsGridControlsExplainTheirRow) {
    EXPECT_EQ(SettingsPageHelpId(1014, false), 1026);
    EXPECT_EQ(SettingsPageHelpId(1054, false), 1027);
    EXPECT_EQ(SettingsPageHelpId(1066, false), 1028);
    EXPECT_EQ(SettingsPageHelpId(1078, false), 1029);
    EXPECT_EQ(SettingsPageHelpId(1060, false), 1030);
    EXPECT_EQ(SettingsPageHelpId(1086, false), 1031);
    EXPECT_EQ(SettingsPageHelpId(1036, false), 1027) << "a frame, not the Alarm page's text";
    EXPECT_EQ(SettingsPageHelpId(1006, false), 1026) << "a value label";
    EXPECT_EQ(SettingsPageHelpId(1022, true), 1202);
    EXPECT_EQ(SettingsPageHelpId(1022, false), 1022);
    EXPECT_EQ(SettingsPageHelpId(1025, false), 1025);
}

TEST(HelpTables, GridIdsAreDistinct) {
    std::vector<int> ids;
    for (const GridRowInfo& row : kGrid) {
        for (const GridCell& cell : row.cells) {
            ids.insert(ids.end(), {cell.slider, cell.label, cell.frame});
        }
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(ids.size(), 72U);
}

TEST(IconReferences, SplitAtTheFirstComma) {
    const auto parsed = ParseIconReference("C:\\Icons, old\\VoVOZI.dll,3");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->file, "C:\\Icons");
    EXPECT_EQ(parsed->index, 0) << "atoi of \" old...\"";
    EXPECT_EQ(ParseIconReference("VoVOZI.dll,-2")->index, -2);
    EXPECT_FALSE(ParseIconReference("VoVOZI.dll").has_value());
    EXPECT_EQ(FormatIconReference({"VoVOZI.dll", 4}), "VoVOZI.dll,4");
}

} // namespace
} // namespace applet
