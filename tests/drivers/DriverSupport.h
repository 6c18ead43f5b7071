// Small pieces the test drivers share: a window of their own and its message loop, finding
// windows by polling, timing, and reading other processes' windows (message boxes, the
// notification area's tooltips).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace drivers {

inline constexpr char kTrayClass[] = "TvPMClass";

// The tray window's private messages and the numbers the tray reacts to.
inline constexpr UINT kTrayNotify = 0x8064;
inline constexpr UINT kSchemeChanged = 0x806E;
inline constexpr UINT kTrayExit = 0x8078;
inline constexpr UINT kRefreshPowerOptions = 0x8082;
inline constexpr WPARAM kTrayIconId = 128;
inline constexpr UINT kFirstSchemeCommand = 33768;

// A top-level window of a class registered for it, served by the procedure; null when the class
// or the window cannot be made. It stays hidden unless the caller shows it.
HWND MakeWindow(const char* className, const char* title, WNDPROC procedure, const RECT& place);

// The end of a driver window's procedure: destroying the window ends the message loop, and the
// rest goes to the system's default handling.
LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Translates and dispatches this thread's messages until the message loop ends.
void RunMessageLoop();

// Microseconds on the performance counter.
std::int64_t NowMicroseconds();

// Polls (every pollMs) for a top-level window of the class until it exists (wantGone false) or
// is gone (true) or the time is up. The window found, or null.
HWND WaitForWindow(const char* className, bool wantGone, double seconds,
                   const char* title = nullptr, DWORD pollMs = 50);

// A window of another process that looks like a message box, as the user would read it.
struct BoxReading {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    bool topmost = false;
};
std::vector<BoxReading> MessageBoxes();

// Whether another process shows a pop-up menu (class "#32768") right now.
bool PopupMenuShown();

// Tips of the icons shown in the notification area: the tooltips the shell keeps for them, read
// out of the shell's process. Tooltips it keeps for icons already removed are left out.
std::vector<std::string> NotificationTips();

// The texts of a tab control of another process, read over there, as UTF-8.
std::vector<std::string> TabTexts(HWND tabs);

// The item texts of a list view of another process (the Control Panel's applets), as UTF-8.
std::vector<std::string> ListViewTexts(HWND list);

// The item texts of the first pop-up of a menu resource of a program, as UTF-8 (separators
// empty), in the language the resource loader picks for this process, which is the one it
// picks for the program itself (the system reads no other process's menus).
std::vector<std::string> MenuResourceTexts(const char* file, UINT id);

// The system's text for an error code, as a message box built from it shows it.
std::string SystemErrorText(DWORD code);

// What the system's process list says of a process (GetProcessHandleCount and
// GetProcessTimes report nothing useful for other processes under Wine).
struct ProcessStats {
    DWORD handles = 0;
    SIZE_T workingSet = 0;
    SIZE_T privateBytes = 0;
    std::uint64_t cpuMicroseconds = 0; // user plus kernel time
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
};
bool ReadProcessStats(DWORD pid, ProcessStats& stats);

// Loads a library into another process once more, from a thread started there, so that it
// stays loaded however often that process loads and frees it. True when it was loaded.
bool KeepLibraryLoaded(DWORD pid, const char* library);

} // namespace drivers
