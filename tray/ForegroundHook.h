// Tells a window, by a posted message, that another window has come to the foreground, so that
// a linked program is seen the moment it is in front rather than at the next tick.
#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"

namespace tray {

class ForegroundHook {
public:
    ForegroundHook() = default;
    ForegroundHook(const ForegroundHook&) = delete;
    ForegroundHook& operator=(const ForegroundHook&) = delete;
    ~ForegroundHook();

    // Posts `message` to `target` at every change of the foreground window. One hook per
    // process; false when the system refuses it (the caller's timer still notices).
    bool Start(HWND target, UINT message);
    void Stop();
    bool Running() const { return static_cast<bool>(hook_); }

private:
    framework::UniqueWinEventHook hook_;
};

} // namespace tray
