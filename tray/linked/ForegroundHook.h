// Tells a window, by a posted message, that another window has come to the foreground, so that
// a linked program is seen the moment it is in front rather than at the next tick, and the
// tick need not ask which window is in front. Wine 8 reports no foreground changes to event
// hooks: until a first report arrives, the receiver asks at every tick.
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

    // Posts `message` to `target` at every change of the foreground window, with wParam
    // kReport and lParam the window now in front. One hook per process; false when the
    // system refuses it (the caller's timer still notices).
    bool Start(HWND target, UINT message);
    void Stop();
    bool Running() const { return static_cast<bool>(hook_); }

    static constexpr WPARAM kReport = 1;

private:
    static void CALLBACK OnForeground(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD,
                                      DWORD);

    // The system's callback carries no context: it finds the object that holds the hook here.
    static ForegroundHook* running_;
    framework::UniqueWinEventHook hook_;
    HWND target_ = nullptr;
    UINT message_ = 0;
};

} // namespace tray
