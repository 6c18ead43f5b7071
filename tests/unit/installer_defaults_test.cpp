#include <gtest/gtest.h>

#include <cstring>

#include "FactoryDefaults.h"
#include "TimeoutTables.h"

using namespace installer;

TEST(FactoryDefaults, ButtonsAndLidFollowThePolicyModelAndLanguage) {
    auto g = GlobalDefaults(false, 0x10, 0x409);
    EXPECT_EQ(g.PowerButton, 6u);
    EXPECT_EQ(g.LidClose, 3u);
    g = GlobalDefaults(true, 0x10, 0x409);
    EXPECT_EQ(g.PowerButton, 2u);
    EXPECT_EQ(g.LidClose, 2u);
    g = GlobalDefaults(false, 0x25, 0x411);
    EXPECT_EQ(g.PowerButton, 6u);
    EXPECT_EQ(g.LidClose, 2u);
    EXPECT_EQ(GlobalDefaults(false, 0x25, 0x409).LidClose, 3u);
    EXPECT_EQ(GlobalDefaults(false, 0x24, 0x411).LidClose, 3u);
}

TEST(FactoryDefaults, GlobalValuesAsShipped) {
    const auto g = GlobalDefaults(false, 0, 0x409);
    EXPECT_EQ(g.PwrSchemeAC, 0u);
    EXPECT_EQ(g.PwrSchemeDC, 2u);
    EXPECT_EQ(g.HibernateEnable + g.SysTrayBatteryMeterEnable + g.PasswordLogonEnable, 3u);
    EXPECT_EQ(g.AutoResume, 1u);
    EXPECT_EQ(g.CoolingMethod, 0u);
    EXPECT_EQ(g.SleepButton, 2u);
    EXPECT_EQ(g.LowAlarm.Level, 10u);
    EXPECT_EQ(g.LowAlarm.Action, 0u);
    EXPECT_EQ(g.LowAlarm.Notify, 3u);
    EXPECT_EQ(g.CriticalAlarm.Level, 3u);
    EXPECT_EQ(g.CriticalAlarm.Action, 3u);
    EXPECT_EQ(g.CriticalAlarm.Enable, 1u);
}

TEST(FactoryDefaults, DvdModeOnlyOffForJapaneseModelOnJapaneseSystem) {
    EXPECT_TRUE(InstallsDvdMode(0, 0x409));
    EXPECT_TRUE(InstallsDvdMode(0x25, 0x409));
    EXPECT_TRUE(InstallsDvdMode(0, 0x411));
    EXPECT_FALSE(InstallsDvdMode(0x25, 0x411));
}

TEST(FactoryDefaults, ModesCarryTheirTablesAndIcons) {
    store::PowerSaveMode m;
    ASSERT_TRUE(FactoryModeValues(0, m));
    EXPECT_EQ(m.ACPlug_IN, 1u);
    EXPECT_EQ(m.Panel[1], 8u);
    EXPECT_EQ(m.Standby[0], 11u);
    EXPECT_EQ(store::IndexToTimeout(m.Standby[0]), 900u);
    EXPECT_STREQ(m.ICON, "VoVOZI.dll,1");

    ASSERT_TRUE(FactoryModeValues(2, m));
    const std::uint32_t duty[4] = {1, 3, 4, 4}, bright[4] = {5, 6, 8, 8};
    EXPECT_EQ(0, std::memcmp(m.CPU_Duty, duty, sizeof duty));
    EXPECT_EQ(0, std::memcmp(m.Brightnes, bright, sizeof bright));
    EXPECT_EQ(m.DefaultScheme, 2u);
    EXPECT_EQ(m.ACPlug_IN, 0u);
    EXPECT_STREQ(m.ICON, "VoVOZI.dll,3");

    ASSERT_TRUE(FactoryModeValues(4, m));
    EXPECT_EQ(m.Brightnes[3], 4u);
    EXPECT_EQ(m.Panel[0], 1u);
    EXPECT_STREQ(m.ICON, "VoVOZI.dll,5");
    EXPECT_EQ(FactoryNameId(4), 156);
    EXPECT_EQ(FactoryDescriptionId(4), 157);
    EXPECT_EQ(FactoryDescriptionId(3), 151);

    for (int n = 0; n < kFactoryModeCount; ++n) {
        ASSERT_TRUE(FactoryModeValues(n, m));
        EXPECT_EQ(m.Hibernate[0], 1u) << n;
        for (int c = 0; c < 4; ++c) {
            EXPECT_LE(m.Brightnes[c], 8u);
            EXPECT_LE(m.CPU_Duty[c], 4u);
        }
    }
}

TEST(FactoryDefaults, UnknownModeLeavesTheRecordAlone) {
    store::PowerSaveMode m;
    m.ACPlug_IN = 7;
    EXPECT_FALSE(FactoryModeValues(5, m));
    EXPECT_FALSE(FactoryModeValues(-1, m));
    EXPECT_EQ(m.ACPlug_IN, 7u);
    EXPECT_EQ(FactoryNameId(5), 0);
}
