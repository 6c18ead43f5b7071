#include "FactoryDefaults.h"

#include <cstdio>
#include <cstring>

namespace installer {
namespace {

struct FactoryMode {
    int nameId;
    int descriptionId;
    std::uint32_t acPlugIn;
    std::uint32_t cpuDuty[4];
    std::uint32_t brightness[4];
    std::uint32_t panel[4];
    std::uint32_t hdd[4];
    std::uint32_t standby[4];
    std::uint32_t hibernate[4];
};

// Columns 1..3 of the mains mode are never applied; they are stored as shipped.
constexpr FactoryMode kModes[kFactoryModeCount] = {
    {152,
     148,
     1,
     {1, 0, 0, 0},
     {1, 0, 0, 0},
     {1, 8, 8, 8},
     {1, 8, 8, 8},
     {11, 0, 0, 0},
     {1, 1, 1, 1}},
    {153,
     149,
     0,
     {4, 4, 4, 4},
     {8, 8, 8, 8},
     {14, 15, 16, 16},
     {14, 14, 14, 14},
     {12, 12, 13, 13},
     {1, 1, 1, 1}},
    {154,
     150,
     0,
     {1, 3, 4, 4},
     {5, 6, 8, 8},
     {13, 14, 15, 16},
     {13, 14, 14, 14},
     {12, 12, 13, 13},
     {1, 1, 1, 1}},
    {155,
     151,
     0,
     {1, 1, 1, 1},
     {1, 1, 1, 1},
     {12, 13, 14, 15},
     {12, 13, 14, 14},
     {11, 12, 12, 13},
     {1, 1, 1, 1}},
    {156,
     157,
     0,
     {1, 1, 1, 1},
     {4, 4, 4, 4},
     {1, 1, 1, 1},
     {1, 1, 1, 1},
     {1, 1, 1, 1},
     {1, 1, 1, 1}},
};

bool Valid(int n) {
    return n >= 0 && n < kFactoryModeCount;
}

} // namespace

int FactoryNameId(int n) {
    return Valid(n) ? kModes[n].nameId : 0;
}
int FactoryDescriptionId(int n) {
    return Valid(n) ? kModes[n].descriptionId : 0;
}

bool InstallsDvdMode(unsigned modelCode, unsigned languageId) {
    return !(modelCode == kJapaneseModel && languageId == kJapaneseLanguage);
}

store::GlobalPowerSettings GlobalDefaults(bool policyButtonsStandBy, unsigned modelCode,
                                          unsigned languageId) {
    store::GlobalPowerSettings g;
    g.PwrSchemeAC = 0;
    g.PwrSchemeDC = 2;
    g.HibernateEnable = 1;
    g.SysTrayBatteryMeterEnable = 1;
    g.PasswordLogonEnable = 1;
    g.CoolingMethod = 0;
    g.AutoResume = 1;
    g.PowerButton = policyButtonsStandBy ? store::kActionSleep : store::kActionShutdownOff;
    if (policyButtonsStandBy || !InstallsDvdMode(modelCode, languageId)) {
        g.LidClose = store::kActionSleep;
    } else {
        g.LidClose = store::kActionHibernate;
    }
    g.SleepButton = store::kActionSleep;
    g.LowAlarm = {1, 10, store::kActionNone, 0, 3, 0};
    g.CriticalAlarm = {1, 3, store::kActionHibernate, 0, 3, 0};
    return g;
}

bool FactoryModeValues(int n, store::PowerSaveMode& mode) {
    if (!Valid(n)) {
        return false;
    }
    const FactoryMode& f = kModes[n];
    mode.ACPlug_IN = f.acPlugIn;
    mode.DefaultScheme = static_cast<std::uint32_t>(n);
    std::memcpy(mode.CPU_Duty, f.cpuDuty, sizeof mode.CPU_Duty);
    std::memcpy(mode.Brightnes, f.brightness, sizeof mode.Brightnes);
    std::memcpy(mode.Panel, f.panel, sizeof mode.Panel);
    std::memcpy(mode.HDD, f.hdd, sizeof mode.HDD);
    std::memcpy(mode.Standby, f.standby, sizeof mode.Standby);
    std::memcpy(mode.Hibernate, f.hibernate, sizeof mode.Hibernate);
    std::snprintf(mode.ICON, sizeof mode.ICON, "%s,%d", "VoVOZI.dll", n + 1);
    mode.LinkedProgram[0] = '\0';
    return true;
}

} // namespace installer
