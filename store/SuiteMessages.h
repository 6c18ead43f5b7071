// The tray window's class and the messages other programs of the suite send it: the applet
// after it saved, the "Close" run of the tray program itself.
#pragma once

namespace store {

inline constexpr char kTrayWindowClass[] = "TvPMClass";

// Private messages above WM_APP (0x8000).
inline constexpr unsigned WM_SCHEME_CHANGED = 0x806E; // the applet has saved its settings
inline constexpr unsigned WM_TRAY_EXIT = 0x8078;      // the "Close" run asks the tray to leave

} // namespace store
