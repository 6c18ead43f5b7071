// The Windows-version classifier and the rules that turn the suite's settings into power-policy
// values.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "PolicyRules.h"
#include "SchemeSettings.h"
#include "VersionClass.h"

using namespace store;

TEST(VersionClass, NtFamily) {
    EXPECT_EQ(ClassifyWindowsVersion(kPlatformNt, 5, 0, ""), kWindows2000);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatformNt, 5, 1, "Service Pack 3"), kWindowsXp);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatformNt, 4, 0, "Service Pack 6"), kWindowsNt4OrOlder);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatformNt, 3, 51, ""), kWindowsNt4OrOlder);
    // Later releases are not ones the suite knows, XP's 64-bit sibling (5.2) included.
    EXPECT_EQ(ClassifyWindowsVersion(kPlatformNt, 5, 2, ""), -1);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatformNt, 6, 1, ""), -1);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatformNt, 10, 0, ""), -1);
}

TEST(VersionClass, SchemeInterfaceFromNtSixOn) {
    EXPECT_FALSE(UsesSchemeInterface(kPlatformNt, 5));
    EXPECT_TRUE(UsesSchemeInterface(kPlatformNt, 6));
    EXPECT_TRUE(UsesSchemeInterface(kPlatformNt, 10));
    EXPECT_FALSE(UsesSchemeInterface(kPlatform9x, 6));
}

TEST(VersionClass, NineXFamilyUsesTheSecondServicePackCharacter) {
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 4, 0, ""), kWindows95);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 4, 0, " B"), kWindows95);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 4, 0, " C"), kWindows95Osr2);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 4, 0, "C"), kWindows95); // first, not second
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 4, 10, ""), kWindows98);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 4, 10, " a"), kWindows98); // case matters
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 4, 10, " A "), kWindows98Se);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 4, 90, " "), kWindowsMe);
}

TEST(VersionClass, UnknownReleasesAndPlatforms) {
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 4, 3, ""), -1);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 5, 0, ""), -1);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 3, 10, ""), -1);
    EXPECT_EQ(ClassifyWindowsVersion(kPlatformWin32s, 5, 1, ""), -1);
    EXPECT_EQ(ClassifyWindowsVersion(3, 5, 1, ""), -1);
}

TEST(VersionClass, ShortServicePackTextIsNotReadPastItsEnd) {
    // A one-character view into a longer buffer: the character behind it is not part of the
    // text and must not decide the release.
    const std::string buffer = " C";
    EXPECT_EQ(ClassifyWindowsVersion(kPlatform9x, 4, 0, std::string_view(buffer.data(), 1)),
              kWindows95);
}

TEST(PolicyColumns, OnlyZeroToThreeAreUsedAsGiven) {
    for (int c = 0; c < kColumns; ++c) {
        EXPECT_EQ(ValidColumn(c), c);
    }
    EXPECT_EQ(ValidColumn(-1), 0);
    EXPECT_EQ(ValidColumn(4), 0);
    EXPECT_EQ(ValidColumn(INT_MIN), 0);
    EXPECT_EQ(ValidColumn(INT_MAX), 0);
}

namespace {

PowerSaveMode Mode(std::uint32_t standby, std::uint32_t hibernate) {
    PowerSaveMode mode;
    for (int c = 0; c < kColumns; ++c) {
        mode.Standby[c] = standby;
        mode.Hibernate[c] = hibernate;
    }
    return mode;
}

} // namespace

TEST(ModeTimeouts, NeverStandByHibernatesFromIdle) {
    const ModeTimeouts t = ModeTimeoutsFor(Mode(1, 7), 0);
    EXPECT_EQ(t.idleAction, static_cast<std::uint32_t>(kActionHibernate));
    EXPECT_EQ(t.idleTimeout, 3600u);
    EXPECT_EQ(t.dozeS4Timeout, 0u);
}

TEST(ModeTimeouts, NeitherStandByNorHibernateNeverIdles) {
    const ModeTimeouts t = ModeTimeoutsFor(Mode(1, 1), 0);
    EXPECT_EQ(t.idleAction, static_cast<std::uint32_t>(kActionHibernate));
    EXPECT_EQ(t.idleTimeout, 0u);
    EXPECT_EQ(t.dozeS4Timeout, 0u);
}

TEST(ModeTimeouts, HibernateCountsFromTheStartOfStandBy) {
    const ModeTimeouts t = ModeTimeoutsFor(Mode(11, 7), 0);
    EXPECT_EQ(t.idleAction, static_cast<std::uint32_t>(kActionSleep));
    EXPECT_EQ(t.idleTimeout, 900u);
    EXPECT_EQ(t.dozeS4Timeout, 2700u);

    EXPECT_EQ(ModeTimeoutsFor(Mode(11, 1), 0).dozeS4Timeout, 0u);
}

TEST(ModeTimeouts, HibernateNotLongerThanStandByBecomesOneMinute) {
    EXPECT_EQ(ModeTimeoutsFor(Mode(6, 12), 0).dozeS4Timeout, kMinDozeS4Timeout); // 3600 / 900
    EXPECT_EQ(ModeTimeoutsFor(Mode(6, 7), 0).dozeS4Timeout, kMinDozeS4Timeout);  // equal
    EXPECT_EQ(ModeTimeoutsFor(Mode(2, 17), 0).dozeS4Timeout, kMinDozeS4Timeout); // 18000 / 60
    EXPECT_EQ(ModeTimeoutsFor(Mode(16, 2), 0).dozeS4Timeout, 21540u);            // 60 / 21600
}

TEST(ModeTimeouts, ReadsOnlyTheChosenColumn) {
    PowerSaveMode mode;
    const std::uint32_t panel[kColumns] = {16, 15, 14, 13};
    const std::uint32_t hdd[kColumns] = {12, 11, 10, 9};
    const std::uint32_t standby[kColumns] = {2, 3, 4, 5};
    const std::uint32_t expected[kColumns][3] = {
        {60, 600, 18000}, {120, 900, 14400}, {180, 1200, 10800}, {300, 1500, 7200}};
    for (int c = 0; c < kColumns; ++c) {
        mode.Panel[c] = panel[c];
        mode.HDD[c] = hdd[c];
        mode.Standby[c] = standby[c];
    }
    for (int c = 0; c < kColumns; ++c) {
        const ModeTimeouts t = ModeTimeoutsFor(mode, c);
        EXPECT_EQ(t.videoTimeout, expected[c][0]) << c;
        EXPECT_EQ(t.spindownTimeout, expected[c][1]) << c;
        EXPECT_EQ(t.idleTimeout, expected[c][2]) << c;
    }
    EXPECT_EQ(ModeTimeoutsFor(mode, -1).videoTimeout, 60u);
    EXPECT_EQ(ModeTimeoutsFor(mode, kColumns).videoTimeout, 60u);
}

TEST(ModeTimeouts, DamagedIndexesMeanNever) {
    PowerSaveMode mode = Mode(0, 0xFFFFFFFF);
    mode.Panel[0] = 17;
    mode.HDD[0] = 0;
    const ModeTimeouts t = ModeTimeoutsFor(mode, 0);
    EXPECT_EQ(t.videoTimeout, 0u);
    EXPECT_EQ(t.spindownTimeout, 0u);
    EXPECT_EQ(t.idleTimeout, 0u);
    EXPECT_EQ(t.dozeS4Timeout, 0u);
}

namespace {

GlobalPowerSettings Buttons(std::uint32_t power, std::uint32_t sleep, std::uint32_t lid) {
    GlobalPowerSettings s;
    s.PowerButton = power;
    s.SleepButton = sleep;
    s.LidClose = lid;
    return s;
}

} // namespace

TEST(ButtonRules, PlainActionsWithTheirFlags) {
    const ButtonRules r = ButtonRulesFor(Buttons(3, 2, 2), kWindowsXp);
    EXPECT_EQ(r.powerButton.action, 3u);
    EXPECT_EQ(r.powerButton.flags, 3u);
    EXPECT_EQ(r.powerButton.eventCode, 0u);
    EXPECT_EQ(r.sleepButton.action, 2u);
    EXPECT_EQ(r.sleepButton.flags, 3u);
    EXPECT_EQ(r.lidClose.action, 2u);
    EXPECT_EQ(r.lidClose.flags, 1u);
    EXPECT_EQ(r.lidClose.eventCode, 0u);
}

TEST(ButtonRules, PowerOffOnXpBecomesAShutDownNotification) {
    const ButtonRules xp = ButtonRulesFor(Buttons(6, 2, 3), kWindowsXp);
    EXPECT_EQ(xp.powerButton.action, 0u);
    EXPECT_EQ(xp.powerButton.eventCode, 0x10u);
    EXPECT_EQ(xp.powerButton.flags, 3u);

    const ButtonRules w2k = ButtonRulesFor(Buttons(6, 2, 3), kWindows2000);
    EXPECT_EQ(w2k.powerButton.action, 6u);
    EXPECT_EQ(w2k.powerButton.eventCode, 0u);
}

TEST(ButtonRules, NoActionOnXpResetsTheTriggerOfPowerButtonAndLid) {
    const ButtonRules xp = ButtonRulesFor(Buttons(0, 0, 0), kWindowsXp);
    EXPECT_EQ(xp.powerButton.eventCode, kForceTriggerReset);
    EXPECT_EQ(xp.lidClose.eventCode, kForceTriggerReset);
    EXPECT_EQ(xp.sleepButton.eventCode, 0u);

    for (int version : {kWindows2000, kWindowsMe, -1}) {
        const ButtonRules other = ButtonRulesFor(Buttons(0, 0, 0), version);
        EXPECT_EQ(other.powerButton.eventCode, 0u) << version;
        EXPECT_EQ(other.lidClose.eventCode, 0u) << version;
    }
}

TEST(GlobalFlags, BatteryMeterAlwaysOffPasswordFollowsTheSetting) {
    EXPECT_EQ(GlobalFlagsFor(0x1F, 0), 0x1Au);
    EXPECT_EQ(GlobalFlagsFor(0x1F, 1), 0x1Eu);
    EXPECT_EQ(GlobalFlagsFor(0x00, 1), 0x04u);
    EXPECT_EQ(GlobalFlagsFor(0x01, 0), 0x00u);
    // Only bit 0 of the setting counts.
    EXPECT_EQ(GlobalFlagsFor(0x00, 2), 0x00u);
    EXPECT_EQ(GlobalFlagsFor(0x00, 3), 0x04u);
    // Bits 8 to 31 are cleared.
    EXPECT_EQ(GlobalFlagsFor(0xFFFFFFFF, 0), 0xFAu);
    EXPECT_EQ(GlobalFlagsFor(0x12345600, 1), 0x04u);
}

namespace {

std::uint32_t ValueOf(const std::vector<SchemeValue>& values, SchemeSetting setting) {
    for (const SchemeValue& v : values) {
        if (v.setting == setting) {
            return v.value;
        }
    }
    ADD_FAILURE() << "setting " << static_cast<int>(setting) << " not in the list";
    return 0xDEADBEEF;
}

} // namespace

TEST(SchemeValues, SleepAndHibernateFollowTheXpRule) {
    const GlobalPowerSettings global;
    struct Case {
        std::uint32_t standby, hibernate, sleepAfter, hibernateAfter;
    } cases[] = {
        {11, 7, 900, 2700},               // hibernate 45 min after sleep began (1 h of idleness)
        {6, 12, 3600, kMinDozeS4Timeout}, // hibernate not later than sleep: one minute after it
        {11, 1, 900, 0},                  // sleeps, never hibernates
        {1, 7, 0, 3600},                  // never sleeps: hibernates after 1 h of idleness
        {1, 1, 0, 0},                     // neither
    };
    for (const Case& c : cases) {
        const auto values = SchemeValuesFor(Mode(c.standby, c.hibernate), 0, global, 50);
        EXPECT_EQ(ValueOf(values, SchemeSetting::StandbyTimeout), c.sleepAfter) << c.standby;
        EXPECT_EQ(ValueOf(values, SchemeSetting::HibernateTimeout), c.hibernateAfter)
            << c.standby << "/" << c.hibernate;
    }
}

TEST(SchemeValues, ColumnBrightnessButtonsAlarmsAndPassword) {
    PowerSaveMode mode;
    const std::uint32_t panel[kColumns] = {16, 15, 14, 13};
    const std::uint32_t hdd[kColumns] = {12, 11, 10, 9};
    for (int c = 0; c < kColumns; ++c) {
        mode.Panel[c] = panel[c];
        mode.HDD[c] = hdd[c];
    }
    GlobalPowerSettings global;
    global.PowerButton = kActionShutdownOff;
    global.SleepButton = kActionHibernate;
    global.LidClose = kActionSleep;
    global.CriticalAlarm = {1, 3, kActionHibernate, 0, 0x3, 0};
    global.LowAlarm = {0x100, 10, 1 /* reserved */, 0, 0xF, 0}; // only the low byte enables
    global.PasswordLogonEnable = 3;

    const auto values = SchemeValuesFor(mode, 1, global, 87);
    EXPECT_EQ(ValueOf(values, SchemeSetting::VideoTimeout), 120u);
    EXPECT_EQ(ValueOf(values, SchemeSetting::DiskTimeout), 900u);
    EXPECT_EQ(ValueOf(values, SchemeSetting::Brightness), 87u);
    EXPECT_EQ(ValueOf(values, SchemeSetting::PowerButton), kSchemeActionShutDown);
    EXPECT_EQ(ValueOf(values, SchemeSetting::SleepButton), kSchemeActionHibernate);
    EXPECT_EQ(ValueOf(values, SchemeSetting::LidClose), kSchemeActionSleep);
    EXPECT_EQ(ValueOf(values, SchemeSetting::CriticalAction), kSchemeActionHibernate);
    EXPECT_EQ(ValueOf(values, SchemeSetting::CriticalLevel), 3u);
    EXPECT_EQ(ValueOf(values, SchemeSetting::CriticalFlags), kDischargeEnable | 0x3);
    EXPECT_EQ(ValueOf(values, SchemeSetting::LowAction), kSchemeActionNothing);
    EXPECT_EQ(ValueOf(values, SchemeSetting::LowLevel), 10u);
    EXPECT_EQ(ValueOf(values, SchemeSetting::LowFlags), 0x7u);
    EXPECT_EQ(ValueOf(values, SchemeSetting::LockOnWake), 1u);

    // An unknown battery level is column 0; without a brightness none is written.
    EXPECT_EQ(ValueOf(SchemeValuesFor(mode, -1, global, 87), SchemeSetting::VideoTimeout), 60u);
    for (const SchemeValue& v : SchemeValuesFor(mode, 3, global, std::nullopt)) {
        EXPECT_NE(v.setting, SchemeSetting::Brightness);
    }
}

TEST(SchemeValues, OnlyWhatDiffersFromTheLastWriteIsWrittenAgain) {
    const std::vector<SchemeValue> last = {{SchemeSetting::VideoTimeout, 300},
                                           {SchemeSetting::Brightness, 87},
                                           {SchemeSetting::LidClose, 1}};
    const std::vector<SchemeValue> wanted = {{SchemeSetting::VideoTimeout, 300},
                                             {SchemeSetting::Brightness, 50},
                                             {SchemeSetting::LidClose, 1},
                                             {SchemeSetting::LockOnWake, 0}};
    const auto changed = ChangedValues(wanted, last);
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[0].setting, SchemeSetting::Brightness);
    EXPECT_EQ(changed[0].value, 50u);
    EXPECT_EQ(changed[1].setting, SchemeSetting::LockOnWake);
    EXPECT_EQ(ChangedValues(wanted, {}).size(), wanted.size());
    EXPECT_TRUE(ChangedValues(last, last).empty());
}
