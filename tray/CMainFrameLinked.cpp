// Programs linked to a mode: while one of them has the foreground, its mode is in force for
// the current power source; the stored choice returns when it loses the foreground.
#include <vector>

#include "CMainFrame.h"
#include "ForegroundModules.h"
#include "framework/Trace.h"
#include "logic/LinkedMatch.h"

namespace tray {

void CMainFrame::CheckLinkedPrograms() {
    const int side = acStatus_;
    store::SchemeStore work;
    work.LoadGlobal(HKEY_CURRENT_USER);
    const int stored =
        static_cast<int>(side == 1 ? work.global.PwrSchemeAC : work.global.PwrSchemeDC);
    const int current = side == 1 ? acSchemeId_ : batterySchemeId_;

    std::vector<LinkedScheme> schemes;
    schemes.reserve(linkedSchemes_.size());
    for (const auto& scheme : linkedSchemes_) {
        schemes.push_back({scheme->mode.id, scheme->mode.ACPlug_IN, scheme->mode.LinkedProgram});
    }
    // The foreground process is opened at most once a tick, whatever the number of linked modes.
    ModuleList modules;
    const ModuleSource source = [&]() -> const ModuleList& {
        modules = ForegroundProcessModules();
        return modules;
    };
    const int match = FindLinkedMatch(schemes, side, source, &SameTextMultiByte);

    const LinkedSwitch change = DecideLinkedSwitch(match, current, stored);
    if (change.needed) {
        framework::Trace("TvPMTray: linked program: scheme %d for %s.\n", change.id,
                     side == 1 ? "AC power" : "battery power");
        SwitchScheme(side, change.id);
    }
}

void CMainFrame::SwitchScheme(int acSide, int id) {
    // The store keeps the user's own choice; the switch lasts while the program is in front.
    if (acSide == 1) {
        acSchemeId_ = id;
    } else {
        batterySchemeId_ = id;
    }
    UpdateTooltip();
    UpdateIcon();
    ApplyScheme();
}

} // namespace tray
