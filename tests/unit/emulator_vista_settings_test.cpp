// The Windows-free rules of the emulated Vista power manager: GUID text, the version rule, and
// the setting table the stock schemes are seeded from.
#include <gtest/gtest.h>

#include <set>

#include "PowerGuid.h"
#include "VistaPowerSettings.h"

using namespace emulator;

namespace {

TEST(PowerGuid, TextRoundTripsAndRejectsWhatIsNoGuid) {
    const auto guid = ParsePowerGuid("{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}");
    ASSERT_TRUE(guid);
    EXPECT_EQ(guid->data1, 0x8c5e7fdau);
    EXPECT_EQ(guid->data4[7], 0x5c);
    EXPECT_EQ(KeyText(*guid), "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c");
    EXPECT_EQ(BracedText(*guid), "{8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c}");
    EXPECT_EQ(ParsePowerGuid(KeyText(*guid)), guid);
    for (const char* bad :
         {"", "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635", "{8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c",
          "8c5e7fdaxe8bf-4a96-9a85-a6e23a8c635c", "8c5e7fdg-e8bf-4a96-9a85-a6e23a8c635c",
          "(8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c)"}) {
        EXPECT_FALSE(ParsePowerGuid(bad)) << bad;
    }
}

TEST(PowerGuid, RandomGuidsAreVersionFour) {
    std::array<std::uint8_t, 16> bytes;
    bytes.fill(0xFF);
    const PowerGuid guid = RandomPowerGuid(bytes);
    EXPECT_EQ(KeyText(guid), "ffffffff-ffff-4fff-bfff-ffffffffffff");
    bytes.fill(0);
    EXPECT_EQ(KeyText(RandomPowerGuid(bytes)), "00000000-0000-4000-8000-000000000000");
}

TEST(VistaPowerSettings, FollowsTheCallersWindowsVersion) {
    EXPECT_FALSE(UsesVistaSchemes(5)); // 2000, XP, Server 2003
    EXPECT_TRUE(UsesVistaSchemes(6));  // Vista to 8.1
    EXPECT_TRUE(UsesVistaSchemes(10));
}

TEST(VistaPowerSettings, TableIsConsistent) {
    const auto& stock = StockSchemes();
    EXPECT_EQ(KeyText(stock[0].guid), "381b4222-f694-41f0-9685-ff5bb260df2e");
    EXPECT_EQ(BalancedScheme(), stock[0].guid);
    // Listed in the order of their key names, as Windows enumerates them.
    EXPECT_LT(KeyText(stock[0].guid), KeyText(stock[1].guid));
    EXPECT_LT(KeyText(stock[1].guid), KeyText(stock[2].guid));
    EXPECT_EQ(StockSchemeIndex(stock[2].guid), 2);
    EXPECT_EQ(StockSchemeIndex(PowerGuid{}), -1);

    std::set<std::string> seen;
    for (const PowerSetting& s : PowerSettings()) {
        EXPECT_TRUE(seen.insert(KeyText(s.setting)).second) << KeyText(s.setting);
        ASSERT_NE(FindPowerSubgroup(s.subgroup), nullptr) << KeyText(s.setting);
        EXPECT_EQ(FindPowerSetting(s.subgroup, s.setting), &s);
        for (const SettingValues& v : s.defaults) {
            EXPECT_LE(v.ac, s.maximum) << KeyText(s.setting);
            EXPECT_LE(v.dc, s.maximum) << KeyText(s.setting);
        }
    }
    // Monitor, disk, stand-by, hibernate, brightness, throttle, three buttons, two alarms of
    // three settings each, and the password on wake.
    EXPECT_EQ(PowerSettings().size(), 16u);
    std::size_t grouped = 0;
    for (const PowerSubgroup& g : PowerSubgroups()) {
        EXPECT_FALSE(SettingsOf(g.guid).empty());
        grouped += SettingsOf(g.guid).size();
    }
    EXPECT_EQ(grouped, PowerSettings().size());
    const PowerSetting& first = PowerSettings()[0];
    EXPECT_EQ(FindPowerSetting(first.setting, first.subgroup), nullptr);
}

} // namespace
