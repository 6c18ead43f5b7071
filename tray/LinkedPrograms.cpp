#include "LinkedPrograms.h"

#include "SchemeStore.h"

namespace tray {

LinkedPrograms::LinkedPrograms() : store_(store::kBasePath) {}

void LinkedPrograms::Rebuild(HWND window, UINT message) {
    schemes_.clear();
    store::SchemeStore reader;
    for (const int id : reader.StoredModeIds(HKEY_CURRENT_USER, reader.ReadLastId())) {
        store::SchemeStore scheme;
        if (scheme.LoadScheme(HKEY_CURRENT_USER, id)) {
            schemes_.push_back({scheme.mode.id, scheme.mode.ACPlug_IN, scheme.mode.LinkedProgram});
        }
    }
    built_ = true;
    if (!hook_.Running()) {
        hook_.Start(window, message);
    }
}

LinkedSwitch LinkedPrograms::Check(int side, int current) {
    if (store_.Changed()) {
        store::SchemeStore work;
        work.LoadGlobal(HKEY_CURRENT_USER);
        storedAc_ = work.global.PwrSchemeAC;
        storedDc_ = work.global.PwrSchemeDC;
        ++storeReads_;
    }
    const int stored = static_cast<int>(side == 1 ? storedAc_ : storedDc_);
    // Only asked for when some mode of this power source has a program.
    const ModuleSource source = [&]() -> const ModuleList& {
        return modules_.Of(::GetForegroundWindow());
    };
    const int match = FindLinkedMatch(schemes_, side, source, &SameTextMultiByte);
    return DecideLinkedSwitch(match, current, stored);
}

} // namespace tray
