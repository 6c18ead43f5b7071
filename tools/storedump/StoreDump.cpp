// Prints what the suite's store holds in both hives, the Windows scheme it drives (the XP
// records, or from Vista on every scheme with the settings the suite writes), and what applying
// each mode would write into that scheme. A console tool for people, not for tests.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "../../framework/UniqueHandle.h"
#include "PolicyRecords.h"
#include "PolicyRules.h"
#include "PowerSaveMode.h"
#include "FirmwareLogic.h"
#include "RegistryKey.h"
#include "SchemeSettingText.h"
#include "SchemeSettings.h"
#include "SchemeStore.h"
#include "TimeoutTables.h"
#include "VistaSchemeDump.h"
#include "WindowsVersion.h"

namespace {

const char* const kDutyNames[] = {"?", "Full", "Mid1", "Mid2", "Low"};
const char* const kBrightnessNames[] = {"?",    "Highest", "Super1", "Super2", "Mid1",
                                        "Mid2", "Semi1",   "Semi2",  "Lowest"};

const char* Named(const char* const* names, std::size_t count, std::uint32_t value) {
    return value < count ? names[value] : "?";
}

const char* ActionName(std::uint32_t action) {
    switch (action) {
    case store::kActionNone:
        return "none";
    case store::kActionSleep:
        return "stand by";
    case store::kActionHibernate:
        return "hibernate";
    case store::kActionShutdownOff:
        return "power off";
    default:
        return "other";
    }
}

std::string Seconds(std::uint32_t seconds) {
    if (seconds == 0) {
        return "never";
    }
    char text[32];
    if (seconds % 3600 == 0) {
        std::snprintf(text, sizeof text, "%u h", seconds / 3600);
    } else {
        std::snprintf(text, sizeof text, "%u min", seconds / 60);
    }
    return text;
}

void PrintAlarm(const char* name, const store::BatteryAlarm& alarm) {
    std::printf("    %-14s %s at %u %%, action %s, notify%s%s\n", name,
                (alarm.Enable & 0xFF) == 1 ? "on" : "off", alarm.Level, ActionName(alarm.Action),
                (alarm.Notify & 1) ? " text" : "", (alarm.Notify & 2) ? " sound" : "");
}

// The values of one kind (a column's, or the global settings') as "name value" items,
// wrapped at about the width of the XP lines.
constexpr std::size_t kWidth = 125;

void PrintSchemeValues(const std::string& lead, const std::vector<store::SchemeValue>& values,
                       bool fromColumn) {
    std::string line = lead;
    bool first = true;
    for (const store::SchemeValue& v : values) {
        if (storedump::FromColumn(v.setting) != fromColumn) {
            continue;
        }
        const std::string item = std::string(storedump::SettingLabel(v.setting)) + " " +
                                 storedump::SettingValueText(v.setting, v.value);
        if (!first && line.size() + item.size() + 2 > kWidth) {
            std::printf("%s,\n", line.c_str());
            line = std::string(lead.size(), ' ');
        } else if (!first) {
            line += ", ";
        }
        line += item;
        first = false;
    }
    std::printf("%s\n", line.c_str());
}

void PrintGlobal(HKEY root) {
    store::SchemeStore s;
    s.LoadGlobal(root);
    const auto& g = s.global;
    std::printf("  Global settings\n");
    std::printf("    mode on mains  %u, on battery %u\n", g.PwrSchemeAC, g.PwrSchemeDC);
    std::printf("    hibernation    %s, tray icon %s, password on resume %s, resume on lid %s\n",
                g.HibernateEnable ? "on" : "off", g.SysTrayBatteryMeterEnable ? "on" : "off",
                g.PasswordLogonEnable ? "on" : "off", g.AutoResume ? "on" : "off");
    std::printf("    cooling        %s\n", g.CoolingMethod == 2   ? "silent"
                                           : g.CoolingMethod == 1 ? "intermediate"
                                                                  : "max performance");
    std::printf("    buttons        power: %s, lid: %s, sleep: %s\n", ActionName(g.PowerButton),
                ActionName(g.LidClose), ActionName(g.SleepButton));
    PrintAlarm("low alarm", g.LowAlarm);
    PrintAlarm("critical alarm", g.CriticalAlarm);
    if (root == HKEY_CURRENT_USER && store::WindowsUsesSchemeInterface()) {
        PrintSchemeValues("    -> Windows, every mode: ",
                          store::SchemeValuesFor(store::PowerSaveMode{}, 0, g, std::nullopt),
                          false);
    }
}

void PrintMode(const store::PowerSaveMode& m, const store::GlobalPowerSettings& global) {
    std::printf("  Mode %d \"%s\" (%s), icon %s, factory mode %u\n", m.id, m.NamePolicy,
                m.ACPlug_IN == 1 ? "mains" : "battery", m.ICON, m.DefaultScheme);
    if (m.LinkedProgram[0] != '\0') {
        std::printf("    linked program %s\n", m.LinkedProgram);
    }
    static const char* const kBands[] = {"76-100 %", "51-75 %", "26-50 %", "0-25 %"};
    std::printf("    %-9s %-5s %-8s %-8s %-8s %-8s %s\n", "column", "cpu", "panel", "monitor",
                "disk", "stand-by", "hibernate");
    const int columns = m.ACPlug_IN == 1 ? 1 : store::kColumns;
    for (int c = 0; c < columns; ++c) {
        std::printf("    %-9s %-5s %-8s %-8s %-8s %-8s %s\n", columns == 1 ? "mains" : kBands[c],
                    Named(kDutyNames, 5, m.CPU_Duty[c]), Named(kBrightnessNames, 9, m.Brightnes[c]),
                    Seconds(store::IndexToTimeout(m.Panel[c])).c_str(),
                    Seconds(store::IndexToTimeout(m.HDD[c])).c_str(),
                    Seconds(store::IndexToTimeout(m.Standby[c])).c_str(),
                    Seconds(store::IndexToHibernateTimeout(m.Hibernate[c])).c_str());
    }
    // What applying each column writes into the Windows scheme: from Vista on the values of
    // the suite's scheme, as the tray program computes them.
    const bool schemeInterface = store::WindowsUsesSchemeInterface();
    for (int c = 0; c < columns; ++c) {
        if (schemeInterface) {
            char lead[32];
            std::snprintf(lead, sizeof lead, "    -> Windows, %-8s ",
                          columns == 1 ? "mains" : kBands[c]);
            PrintSchemeValues(
                lead,
                store::SchemeValuesFor(m, c, global, hardware::PanelPercentFor(m.Brightnes[c])),
                true);
            continue;
        }
        const store::ModeTimeouts t = store::ModeTimeoutsFor(m, c);
        std::printf("    -> Windows, %-8s idle: %s after %s, monitor off %s, disk off %s, "
                    "hibernate after stand-by %s\n",
                    columns == 1 ? "mains" : kBands[c], ActionName(t.idleAction),
                    Seconds(t.idleTimeout).c_str(), Seconds(t.videoTimeout).c_str(),
                    Seconds(t.spindownTimeout).c_str(), Seconds(t.dozeS4Timeout).c_str());
    }
}

void PrintWindowsScheme(int scheme) {
    USER_POWER_POLICY user{};
    MACHINE_POWER_POLICY machine{};
    if (!store::UserPolicyRecord(user, scheme, false) ||
        !store::MachinePolicyRecord(machine, scheme, false)) {
        std::printf("  its policy records are missing\n");
        return;
    }
    std::printf("  now: idle %s after %s, monitor off %s, disk off %s, hibernate after "
                "stand-by %s\n",
                ActionName(static_cast<std::uint32_t>(user.IdleAc.Action)),
                Seconds(user.IdleTimeoutAc).c_str(), Seconds(user.VideoTimeoutAc).c_str(),
                Seconds(user.SpindownTimeoutAc).c_str(), Seconds(machine.DozeS4TimeoutAc).c_str());
}

void PrintModes(HKEY root, bool detailed) {
    store::SchemeStore s;
    store::RegistryKey modes(root);
    if (!modes.Open(s.ModesPath(root), KEY_READ)) {
        std::printf("  no modes\n");
        return;
    }
    s.LoadGlobal(root);
    char name[store::kSubkeyNameSize];
    for (DWORD i = 0; modes.EnumSubkey(i, name); ++i) {
        if (!s.LoadScheme(root, std::atoi(name))) {
            continue;
        }
        if (detailed) {
            PrintMode(s.mode, s.global);
        } else {
            std::printf("  Mode %d \"%s\" (%s)\n", s.mode.id, s.mode.NamePolicy,
                        s.mode.ACPlug_IN == 1 ? "mains" : "battery");
        }
    }
}

void PrintHive(HKEY root, const char* title) {
    std::printf("%s\n", title);
    store::RegistryKey base(root);
    if (!base.Exists(store::kBasePath)) {
        std::printf("  (nothing installed)\n\n");
        return;
    }
    PrintGlobal(root);
    if (root == HKEY_CURRENT_USER) {
        std::printf("  LastID %d\n", store::SchemeStore().ReadLastId());
    } else {
        std::uint32_t msgFlg = 0, nextCycle = 0;
        store::SchemeStore().ReadReminder(msgFlg, nextCycle);
        std::printf("  reminder: MsgFlg %u, NextCycle %u\n", msgFlg, nextCycle);
    }
    // The factory copy only in short: restoring a mode copies it whole.
    PrintModes(root, root == HKEY_CURRENT_USER);
    std::printf("\n");
}

// Runs the installer library's "Initial" the way the suite's programs do.
int RunInitial(const char* library) {
    framework::UniqueModule module(::LoadLibraryA(library));
    using InitialFn = int (*)();
    const auto initial = framework::ProcAddress<InitialFn>(module.Get(), "Initial");
    if (initial == nullptr) {
        std::fprintf(stderr, "cannot call Initial of %s (error %lu)\n", library,
                     static_cast<unsigned long>(::GetLastError()));
        return 1;
    }
    std::printf("Initial of %s returned %d\n\n", library, initial());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--initial") == 0 && RunInitial(argv[2]) != 0) {
        return 1;
    }
    PrintHive(HKEY_CURRENT_USER, "Working copy (HKEY_CURRENT_USER)");
    PrintHive(HKEY_LOCAL_MACHINE, "Factory copy (HKEY_LOCAL_MACHINE)");
    // From Vista on the Windows schemes are kept by GUID and the XP records are not applied.
    if (store::WindowsUsesSchemeInterface()) {
        storedump::PrintVistaSchemes();
        return 0;
    }
    const int scheme = store::FindSystemScheme();
    if (scheme < 0) {
        std::printf("Windows scheme \"Power Management\": not present\n");
    } else {
        std::printf("Windows scheme \"Power Management\": number %d\n", scheme);
        PrintWindowsScheme(scheme);
    }
    return 0;
}
