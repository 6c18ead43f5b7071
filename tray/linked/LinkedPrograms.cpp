#include "tray/linked/LinkedPrograms.h"

#include "SchemeStore.h"
#include "framework/Application.h"
#include "framework/Trace.h"
#include "tray/logic/TrayIds.h"

namespace tray {

LinkedPrograms::LinkedPrograms() : store_(store::kBasePath) {
    // Only noted: the next check reads the store, once however many writes came meanwhile (an
    // apply writes the store, and the applet's sender waits for the apply, not for a read).
    // While no mode names a program no check runs every second, so the window is told.
    store_.OnChange([this] {
        if (!anyLinked_ && window_ != nullptr && !::PostMessageA(window_, WM_STORE_CHANGED, 0, 0)) {
            framework::Trace("TvPMTray: the store's change cannot be posted, error %lu.\n",
                             ::GetLastError());
        }
    });
}

LinkedPrograms::~LinkedPrograms() {
    Unwatch();
}

void LinkedPrograms::Rebuild(HWND window) {
    schemes_.clear();
    anyLinked_ = false;
    store::SchemeStore reader;
    for (const int id : reader.StoredModeIds(HKEY_CURRENT_USER, reader.ReadLastId())) {
        store::SchemeStore scheme;
        if (scheme.LoadScheme(HKEY_CURRENT_USER, id)) {
            schemes_.push_back({scheme.mode.id, scheme.mode.ACPlug_IN, scheme.mode.LinkedProgram});
            anyLinked_ = anyLinked_ || scheme.mode.LinkedProgram[0] != '\0';
        }
    }
    built_ = true;
    match_.known = false;
    store_.Invalidate(); // the applet's change: the stored choice may have changed too
    window_ = window;
    if (!hook_.Running()) {
        hook_.Start(window, WM_FOREGROUND_CHANGED);
    }
}

void LinkedPrograms::StoreWritten() {
    store_.Invalidate();
}

void LinkedPrograms::Notice(WPARAM wParam, LPARAM lParam) {
    if (wParam == ForegroundHook::kReport) {
        hookReports_ = true;
        Follow(reinterpret_cast<HWND>(lParam));
    } else {
        Follow(::GetForegroundWindow());
    }
}

void LinkedPrograms::Follow(HWND window) {
    front_ = window;
    modules_.Follow(window);
    WatchProcess();
}

void LinkedPrograms::Unwatch() {
    if (framework::Application* loop = framework::Application::Current()) {
        loop->UnwatchObject(watchedProcess_);
    }
    watchedProcess_ = nullptr;
}

// The process handle changes whenever another program comes to the front (and its value may
// be given again to the next one): the loop is told before it waits again.
void LinkedPrograms::WatchProcess() {
    framework::Application* loop = framework::Application::Current();
    const HANDLE process = modules_.Process();
    if (loop == nullptr || process == watchedProcess_) {
        return;
    }
    loop->UnwatchObject(watchedProcess_);
    watchedProcess_ = nullptr;
    // A window of a program that has just ended can still be in front for a moment: its
    // process, signalled for good, is not watched again (that would wake the loop at once).
    if (process == nullptr || window_ == nullptr ||
        ::WaitForSingleObject(process, 0) != WAIT_TIMEOUT) {
        return;
    }
    const HWND window = window_;
    // Signalled for good at its end: unwatched at once, and the window in front asked again.
    if (loop->WatchObject(process, [this, window] {
            if (framework::Application* current = framework::Application::Current()) {
                current->UnwatchObject(watchedProcess_);
            }
            watchedProcess_ = nullptr;
            front_ = nullptr;
            if (!::PostMessageA(window, WM_FOREGROUND_CHANGED, kProcessEnded, 0)) {
                framework::Trace("TvPMTray: the end of the program in front cannot be posted, "
                                 "error %lu.\n",
                                 ::GetLastError());
            }
        })) {
        watchedProcess_ = process;
    }
}

LinkedSwitch LinkedPrograms::Check(int side, int current) {
    if (store_.Changed()) {
        store::SchemeStore work;
        work.LoadGlobal(HKEY_CURRENT_USER);
        storedAc_ = work.global.PwrSchemeAC;
        storedDc_ = work.global.PwrSchemeDC;
    }
    const int stored = static_cast<int>(side == 1 ? storedAc_ : storedDc_);
    // The one look of a tick; only taken when some mode of this power source has a program.
    bool looked = false;
    const auto look = [&]() -> const ModuleList& {
        looked = true;
        // Until the hook has reported a foreground change, nothing says the system reports
        // them: the window in front is asked for, and its process only when it changed.
        if (!hookReports_ || framework::Application::Current() == nullptr) {
            const HWND front = ::GetForegroundWindow();
            if (front != front_) {
                Follow(front);
            }
        }
        // Only a module that matched can be freed to change the answer; a load always
        // shows in the list's head.
        return modules_.Paths(match_.known && match_.id != -1 ? ForegroundModules::Look::ForFrees
                                                              : ForegroundModules::Look::ForLoads);
    };
    int match = -1;
    if (match_.known && match_.side == side) {
        // A match was looked for last time, so some mode wants the list: look, and compare
        // again only when the list has changed since.
        look();
        match =
            match_.generation == modules_.Generation()
                ? match_.id
                : FindLinkedMatch(
                      schemes_, side, [&]() -> const ModuleList& { return modules_.LastPaths(); },
                      &SameTextMultiByte);
    } else {
        match = FindLinkedMatch(schemes_, side, look, &SameTextMultiByte);
    }
    match_ = {looked, side, modules_.Generation(), match};
    WatchProcess();
    return DecideLinkedSwitch(match, current, stored);
}

} // namespace tray
