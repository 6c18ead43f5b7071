// Programs linked to a mode: while one of them has the foreground, its mode is in force for
// the current power source; the stored choice returns when it loses the foreground.
//
// Asked every second and at every change of the foreground window, so each answer is cheap:
// the modes are read when the applet reports a change, the stored choice only when the
// registry says the store changed, and the foreground process's modules are kept while it
// stays in front.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ForegroundHook.h"
#include "ForegroundModules.h"
#include "StoreWatch.h"
#include "logic/LinkedMatch.h"

namespace tray {

class LinkedPrograms {
public:
    LinkedPrograms();

    // Reads every mode up to LastID that exists, whatever its id (beyond the ids the menu can
    // carry), and starts telling `window` of foreground changes with `message`.
    void Rebuild(HWND window, UINT message);
    bool Built() const { return built_; }
    std::size_t Count() const { return schemes_.size(); }

    // What the program in front asks for on power source `side` (1 mains, 0 battery, -1
    // unknown) while `current` is the mode in force there.
    LinkedSwitch Check(int side, int current);

    const ForegroundModules& Modules() const { return modules_; }
    unsigned long StoreReads() const { return storeReads_; }

private:
    std::vector<LinkedScheme> schemes_;
    bool built_ = false;
    StoreWatch store_;
    std::uint32_t storedAc_ = 0;
    std::uint32_t storedDc_ = 0;
    unsigned long storeReads_ = 0;
    ForegroundModules modules_;
    ForegroundHook hook_;
};

} // namespace tray
