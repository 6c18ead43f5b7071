// Programs linked to a mode: while one of them has the foreground, its mode is in force for
// the current power source; the stored choice returns when it loses the foreground.
//
// Asked every second, so each answer is cheap: what can be told is told. The modes are read
// when the applet reports a change; the window in front comes from the foreground hook; the
// end of the program in front and a change of the store are kernel objects the message loop
// waits on. The first posts WM_FOREGROUND_CHANGED, whose handler asks again; the second is
// noted for the next check to read the store (and, while no mode names a program, reported
// with WM_STORE_CHANGED, since then no check runs every second to read it). What nothing
// announces is left to the check: a library loaded into or freed from the program in front,
// seen in its module list. Where the system does not report the foreground (Wine 8), the
// check also asks which window is in front, and follows it only when it changed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "tray/linked/ForegroundHook.h"
#include "tray/linked/ForegroundModules.h"
#include "tray/linked/StoreWatch.h"
#include "tray/logic/LinkedMatch.h"

namespace tray {

class LinkedPrograms {
public:
    LinkedPrograms();
    ~LinkedPrograms();
    LinkedPrograms(const LinkedPrograms&) = delete;
    LinkedPrograms& operator=(const LinkedPrograms&) = delete;

    // Reads every mode up to LastID that exists, whatever its id (beyond the ids the menu can
    // carry), and starts telling `window` of what may change the answer.
    void Rebuild(HWND window);
    bool Built() const { return built_; }
    // Whether some mode names a program. Without one only the store and the power source can
    // change what the check decides, and a change of the store comes as WM_STORE_CHANGED.
    bool AnyLinked() const { return anyLinked_; }
    // WM_FOREGROUND_CHANGED's wParam when the program in front has ended (the hook's report
    // carries ForegroundHook::kReport).
    static constexpr WPARAM kProcessEnded = 0;

    // The tray itself wrote the store: read it at the next check, whether or not the loop has
    // seen the registry's notification by then.
    void StoreWritten();

    // WM_FOREGROUND_CHANGED arrived with these parameters: the window in front is taken from
    // the hook's report, or asked for.
    void Notice(WPARAM wParam, LPARAM lParam);

    // What the program in front asks for on power source `side` (1 mains, 0 battery, -1
    // unknown) while `current` is the mode in force there.
    LinkedSwitch Check(int side, int current);

private:
    void Follow(HWND window);
    void WatchProcess();
    void Unwatch();

    std::vector<LinkedScheme> schemes_;
    bool built_ = false;
    bool anyLinked_ = false;
    HWND window_ = nullptr;
    StoreWatch store_;
    std::uint32_t storedAc_ = 0;
    std::uint32_t storedDc_ = 0;
    ForegroundModules modules_;
    ForegroundHook hook_;
    // The last match, for as long as the modes, the side and the module list stay the same:
    // comparing every path with every program is the dearest part of a look.
    struct Match {
        bool known = false;
        int side = 0;
        unsigned long generation = 0;
        int id = -1;
    } match_;
    // The window in front as last followed; whether the hook has reported one yet.
    HWND front_ = nullptr;
    bool hookReports_ = false;
    // The process the application's loop waits on for us; null when none.
    HANDLE watchedProcess_ = nullptr;
};

} // namespace tray
