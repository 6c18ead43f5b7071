// The notebook's hot-key library, VodovEriz.dll: loaded once when the program starts, its
// keyboard hook started and stopped around session and power events. The keys themselves are
// the library's business; the tray only owns the hook's lifetime. A hook still running when
// the program ends (a WM_CLOSE from outside does not stop it) goes with the process.
#pragma once

#include <windows.h>

#include "NotebookInterfaces.h"
#include "framework/UniqueHandle.h"

namespace tray {

inline constexpr char kKeyboardHookLibrary[] = "VodovEriz.dll";

class KeyboardHookLib {
public:
    // Loads the library by name; on failure keeps the error of the load for start-up to show.
    explicit KeyboardHookLib(const char* name = kKeyboardHookLibrary);
    KeyboardHookLib(const KeyboardHookLib&) = delete;
    KeyboardHookLib& operator=(const KeyboardHookLib&) = delete;

    bool Loaded() const { return static_cast<bool>(module_); }
    DWORD LoadError() const { return loadError_; }
    bool Running() const { return running_; }

    // A running hook is stopped first, so at most one is ever installed. True when the library
    // installed the hook; false without the library or its entry point.
    bool Start(HWND window, UINT message);
    // The library's answer; false without the library or its entry point.
    bool Stop();

private:
    using StartFn = notebook::KeyboardHookStartFn;
    using StopFn = notebook::KeyboardHookStopFn;

    framework::UniqueModule module_;
    StartFn start_ = nullptr;
    StopFn stop_ = nullptr;
    bool running_ = false;
    DWORD loadError_ = 0;
};

} // namespace tray
