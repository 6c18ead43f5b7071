#include "VistaPowerSettings.h"

namespace emulator {

namespace {

constexpr PowerGuid G(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::uint8_t a,
                      std::uint8_t b, std::uint8_t c, std::uint8_t d, std::uint8_t e,
                      std::uint8_t f, std::uint8_t g, std::uint8_t h) {
    return PowerGuid{d1, d2, d3, {a, b, c, d, e, f, g, h}};
}

const PowerGuid kBalanced =
    G(0x381b4222, 0xf694, 0x41f0, 0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e);
const PowerGuid kHighPerformance =
    G(0x8c5e7fda, 0xe8bf, 0x4a96, 0x9a, 0x85, 0xa6, 0xe2, 0x3a, 0x8c, 0x63, 0x5c);
const PowerGuid kPowerSaver =
    G(0xa1841308, 0x3541, 0x4fab, 0xbc, 0x81, 0xf7, 0x15, 0x56, 0xf2, 0x0b, 0x4a);

const PowerGuid kNoSubgroup =
    G(0xfea3413e, 0x7e05, 0x4911, 0x9a, 0x71, 0x70, 0x03, 0x31, 0xf1, 0xc2, 0x94);
const PowerGuid kVideo =
    G(0x7516b95f, 0xf776, 0x4464, 0x8c, 0x53, 0x06, 0x16, 0x7f, 0x40, 0xcc, 0x99);
const PowerGuid kDisk =
    G(0x0012ee47, 0x9041, 0x4b5d, 0x9b, 0x77, 0x53, 0x5f, 0xba, 0x8b, 0x14, 0x42);
const PowerGuid kSleep =
    G(0x238c9fa8, 0x0aad, 0x41ed, 0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20);
const PowerGuid kButtons =
    G(0x4f971e89, 0xeebd, 0x4455, 0xa8, 0xde, 0x9e, 0x59, 0x04, 0x0e, 0x73, 0x47);
const PowerGuid kBattery =
    G(0xe73a048d, 0xbf27, 0x4f12, 0x97, 0x31, 0x8b, 0x20, 0x76, 0xe8, 0x89, 0x1f);
const PowerGuid kProcessor =
    G(0x54533251, 0x82be, 0x4824, 0x96, 0xc1, 0x47, 0xb6, 0x0b, 0x74, 0x0d, 0x00);

constexpr std::uint32_t kAny = 0xFFFFFFFF;
constexpr std::uint32_t kLastAction = 3; // nothing, sleep, hibernate, shut down

} // namespace

const std::array<StockScheme, kStockSchemeCount>& StockSchemes() {
    static const std::array<StockScheme, kStockSchemeCount> schemes{{
        {kBalanced, L"Balanced",
         L"Automatically balances performance with energy consumption on capable hardware."},
        {kHighPerformance, L"High performance", L"Favors performance, but may use more energy."},
        {kPowerSaver, L"Power saver",
         L"Saves energy by reducing your computer's performance where possible."},
    }};
    return schemes;
}

const PowerGuid& BalancedScheme() {
    return kBalanced;
}

const PowerGuid& NoSubgroup() {
    return kNoSubgroup;
}

int StockSchemeIndex(const PowerGuid& scheme) {
    const auto& schemes = StockSchemes();
    for (std::size_t i = 0; i < schemes.size(); ++i) {
        if (schemes[i].guid == scheme) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Windows 10's values for a notebook, per stock scheme (Balanced, High performance, Power
// saver), plugged in / on battery. Time-outs in seconds, 0 never.
const std::vector<PowerSetting>& PowerSettings() {
    static const std::vector<PowerSetting> settings{
        {kVideo,
         G(0x3c0bc021, 0xc8a8, 0x4e07, 0xa9, 0x73, 0x6b, 0x14, 0xcb, 0xcb, 0x2b, 0x7e),
         L"Turn off display after",
         "video",
         kAny,
         {{{600, 300}, {900, 600}, {300, 120}}}},
        {kVideo,
         G(0xaded5e82, 0xb909, 0x4619, 0x99, 0x49, 0xf5, 0xd7, 0x1d, 0xac, 0x0b, 0xcb),
         L"Display brightness",
         "brightness",
         100,
         {{{100, 40}, {100, 75}, {40, 25}}}},
        {kDisk,
         G(0x6738e2c4, 0xe8a5, 0x4a42, 0xb1, 0x6a, 0xe0, 0x40, 0xe7, 0x69, 0x75, 0x6e),
         L"Turn off hard disk after",
         "disk",
         kAny,
         {{{1200, 600}, {1200, 1200}, {1200, 600}}}},
        {kSleep,
         G(0x29f6c1db, 0x86da, 0x48c5, 0x9f, 0xdb, 0xf2, 0xb6, 0x7b, 0x1f, 0x44, 0xda),
         L"Sleep after",
         "standby",
         kAny,
         {{{1800, 900}, {0, 3600}, {900, 600}}}},
        {kSleep,
         G(0x9d7815a6, 0x7ee4, 0x497e, 0x88, 0x88, 0x51, 0x5a, 0x05, 0xf0, 0x23, 0x64),
         L"Hibernate after",
         "hibernate",
         kAny,
         {{{10800, 10800}, {0, 10800}, {10800, 10800}}}},
        {kButtons,
         G(0x5ca83367, 0x6e45, 0x459f, 0xa2, 0x7b, 0x47, 0x6b, 0x1d, 0x01, 0xc9, 0x36),
         L"Lid close action",
         "lid",
         kLastAction,
         {{{1, 1}, {1, 1}, {1, 1}}}},
        {kButtons,
         G(0x7648efa3, 0xdd9c, 0x4e3e, 0xb5, 0x66, 0x50, 0xf9, 0x29, 0x38, 0x62, 0x80),
         L"Power button action",
         "power_button",
         kLastAction,
         {{{1, 1}, {1, 1}, {1, 1}}}},
        {kButtons,
         G(0x96996bc0, 0xad50, 0x47ec, 0x92, 0x3b, 0x6f, 0x41, 0x87, 0x4d, 0xd9, 0xeb),
         L"Sleep button action",
         "sleep_button",
         kLastAction,
         {{{1, 1}, {1, 1}, {1, 1}}}},
        {kBattery,
         G(0x637ea02f, 0xbbcb, 0x4015, 0x8e, 0x2c, 0xa1, 0xc7, 0xb9, 0xc0, 0xb5, 0x46),
         L"Critical battery action",
         "critical_action",
         kLastAction,
         {{{0, 2}, {0, 2}, {0, 2}}}},
        {kBattery,
         G(0x9a66d8d7, 0x4ff7, 0x4ef9, 0xb5, 0xa2, 0x5a, 0x32, 0x6c, 0xa2, 0xa4, 0x69),
         L"Critical battery level",
         "critical_level",
         100,
         {{{5, 5}, {5, 5}, {5, 5}}}},
        {kBattery,
         G(0x5dbb7c9f, 0x38e9, 0x40d2, 0x97, 0x49, 0x4f, 0x8a, 0x0e, 0x9f, 0x64, 0x0f),
         L"Critical battery notification",
         "critical_flags",
         kAny,
         {{{1, 1}, {1, 1}, {1, 1}}}},
        {kBattery,
         G(0xd8742dcb, 0x3e6a, 0x4b3c, 0xb3, 0xfe, 0x37, 0x46, 0x23, 0xcd, 0xcf, 0x06),
         L"Low battery action",
         "low_action",
         kLastAction,
         {{{0, 0}, {0, 0}, {0, 0}}}},
        {kBattery,
         G(0x8183ba9a, 0xe910, 0x48da, 0x87, 0x69, 0x14, 0xae, 0x6d, 0xc1, 0x17, 0x0a),
         L"Low battery level",
         "low_level",
         100,
         {{{10, 10}, {10, 10}, {10, 10}}}},
        {kBattery,
         G(0xbcded951, 0x187b, 0x4d05, 0xbc, 0xcc, 0xf7, 0xe5, 0x19, 0x60, 0xc2, 0x58),
         L"Low battery notification",
         "low_flags",
         kAny,
         {{{1, 1}, {1, 1}, {1, 1}}}},
        {kProcessor,
         G(0xbc5038f7, 0x23e0, 0x4960, 0x96, 0xda, 0x33, 0xab, 0xaf, 0x59, 0x35, 0xec),
         L"Maximum processor state",
         "throttle",
         100,
         {{{100, 100}, {100, 100}, {100, 70}}}},
        {kNoSubgroup,
         G(0x0e796bdb, 0x100d, 0x47d6, 0xa2, 0xd5, 0xf7, 0xd2, 0xda, 0xa5, 0x1f, 0x51),
         L"Require a password on wakeup",
         "lock_on_wake",
         1,
         {{{1, 1}, {1, 1}, {1, 1}}}},
    };
    return settings;
}

const std::vector<PowerSubgroup>& PowerSubgroups() {
    static const std::vector<PowerSubgroup> subgroups{
        {kVideo, L"Display"},
        {kDisk, L"Hard disk"},
        {kSleep, L"Sleep"},
        {kButtons, L"Power buttons and lid"},
        {kBattery, L"Battery"},
        {kProcessor, L"Processor power management"},
        {kNoSubgroup, L"Settings belonging to no subgroup"},
    };
    return subgroups;
}

const PowerSetting* FindPowerSetting(const PowerGuid& subgroup, const PowerGuid& setting) {
    for (const PowerSetting& s : PowerSettings()) {
        if (s.subgroup == subgroup && s.setting == setting) {
            return &s;
        }
    }
    return nullptr;
}

const PowerSubgroup* FindPowerSubgroup(const PowerGuid& subgroup) {
    for (const PowerSubgroup& s : PowerSubgroups()) {
        if (s.guid == subgroup) {
            return &s;
        }
    }
    return nullptr;
}

std::vector<const PowerSetting*> SettingsOf(const PowerGuid& subgroup) {
    std::vector<const PowerSetting*> found;
    for (const PowerSetting& s : PowerSettings()) {
        if (s.subgroup == subgroup) {
            found.push_back(&s);
        }
    }
    return found;
}

} // namespace emulator
