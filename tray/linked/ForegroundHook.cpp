#include "tray/linked/ForegroundHook.h"

namespace tray {

ForegroundHook* ForegroundHook::running_ = nullptr;

void CALLBACK ForegroundHook::OnForeground(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG,
                                           DWORD, DWORD) {
    // Out of context: called on the thread that set the hook, which owns the object too.
    if (event == EVENT_SYSTEM_FOREGROUND && running_ != nullptr) {
        ::PostMessageA(running_->target_, running_->message_, kReport,
                       reinterpret_cast<LPARAM>(window));
    }
}

ForegroundHook::~ForegroundHook() {
    Stop();
}

bool ForegroundHook::Start(HWND target, UINT message) {
    Stop();
    if (running_ != nullptr) {
        return false; // another object holds the process's one hook
    }
    target_ = target;
    message_ = message;
    hook_.Reset(::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                  &OnForeground, 0, 0, WINEVENT_OUTOFCONTEXT));
    if (hook_) {
        running_ = this;
    }
    return Running();
}

void ForegroundHook::Stop() {
    if (hook_) {
        hook_.Reset();
        running_ = nullptr;
    }
}

} // namespace tray
