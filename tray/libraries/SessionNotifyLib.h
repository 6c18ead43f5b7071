// The terminal-services library, bound by name for one registration: it is present only from
// Windows XP on, so the tray must not import it.
#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"

namespace tray {

class SessionNotifyLib {
public:
    SessionNotifyLib();

    // Console connect and disconnect of this session only; false without the library.
    bool Register(HWND window);
    bool Unregister(HWND window);

private:
    using RegisterFn = BOOL(WINAPI*)(HWND window, DWORD flags);
    using UnregisterFn = BOOL(WINAPI*)(HWND window);

    framework::UniqueModule module_;
};

} // namespace tray
