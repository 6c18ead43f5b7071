#include "tray/linked/ForegroundHook.h"

namespace tray {

namespace {

// The hook runs out of context on the thread that set it, so these need no lock.
HWND g_target = nullptr;
UINT g_message = 0;

void CALLBACK OnForeground(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD,
                           DWORD) {
    if (event == EVENT_SYSTEM_FOREGROUND && g_target != nullptr) {
        ::PostMessageA(g_target, g_message, ForegroundHook::kReport,
                       reinterpret_cast<LPARAM>(window));
    }
}

} // namespace

ForegroundHook::~ForegroundHook() { Stop(); }

bool ForegroundHook::Start(HWND target, UINT message) {
    Stop();
    g_target = target;
    g_message = message;
    hook_.Reset(::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                  &OnForeground, 0, 0, WINEVENT_OUTOFCONTEXT));
    if (!hook_) {
        g_target = nullptr;
    }
    return Running();
}

void ForegroundHook::Stop() {
    if (hook_) {
        hook_.Reset();
        g_target = nullptr;
    }
}

} // namespace tray
