// The context-help popup of every page and dialog: one string of the applet shown as a plain
// text popup (pale yellow, margins of 6) at the point of the help request. The system's help
// engine shows it where it can; otherwise a popup window of our own with the same look.
#pragma once

#include <windows.h>

namespace applet {

inline constexpr COLORREF kHelpBackground = 0xD0FFFF;
inline constexpr int kHelpMargin = 6;
// Our own popup wraps its text at this width (at 96 dpi).
inline constexpr int kHelpWrapWidth = 300;

// False when the applet has no string `stringId` (then nothing is shown).
bool ShowHelpText(HWND owner, UINT stringId, POINT at);

// For a WM_HELP: the string picked for the control, at the mouse position of the request.
bool ShowHelpFor(HWND owner, const HELPINFO& help, UINT stringId);

// Closes the help popups and frees the system's help engine. Called when the Control Panel
// lets the applet go (CPL_EXIT), not from a static destructor: the library's detach runs under
// the loader lock, where no library may be freed.
void ReleaseHelpEngine();

// Our own popup, if one is up (tests look at it); it goes at the next click or key.
HWND HelpPopupWindow();

} // namespace applet
