// Messages inside the applet: pages and controls tell the main dialog that something was
// edited or that hibernation was switched.
#pragma once

#include <windows.h>

namespace applet {

inline constexpr UINT WM_APPLET_MODIFIED = WM_APP + 200;   // 0x80C8: enable Apply
inline constexpr UINT WM_HIBERNATE_CHANGED = WM_APP + 140; // 0x808C: wParam the new state
static_assert(WM_APPLET_MODIFIED == 0x80C8 && WM_HIBERNATE_CHANGED == 0x808C);

// Sends to the applet's main window (the main dialog while it runs); nothing without one.
void SendToMainWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
inline void NotifyModified() {
    SendToMainWindow(WM_APPLET_MODIFIED);
}

} // namespace applet
