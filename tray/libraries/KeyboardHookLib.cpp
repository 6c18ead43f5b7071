#include "tray/libraries/KeyboardHookLib.h"

#include "framework/Trace.h"

namespace tray {

KeyboardHookLib::KeyboardHookLib(const char* name) : module_(::LoadLibraryA(name)) {
    if (!module_) {
        loadError_ = ::GetLastError();
        return;
    }
    stop_ = framework::ProcAddress<StopFn>(module_.Get(), "KeyboardHook_Stop");
    start_ = framework::ProcAddress<StartFn>(module_.Get(), "KeyboardHook_Start");
}

bool KeyboardHookLib::Start(HWND window, UINT message) {
    if (!module_) {
        return false;
    }
    if (running_) {
        Stop();
    }
    if (start_ == nullptr) {
        return false;
    }
    running_ = start_(window, message) != 0;
    if (!running_) {
        framework::Trace("TvPMTray: KeyboardHook_Start failed.\n");
    }
    return running_;
}

bool KeyboardHookLib::Stop() {
    if (!module_) {
        return false;
    }
    running_ = false;
    if (stop_ == nullptr) {
        return false;
    }
    return stop_() != 0;
}

} // namespace tray
