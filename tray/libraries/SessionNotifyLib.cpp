#include "tray/libraries/SessionNotifyLib.h"

#include "framework/Trace.h"

namespace tray {

namespace {

constexpr DWORD kThisSessionOnly = 0; // NOTIFY_FOR_THIS_SESSION

} // namespace

SessionNotifyLib::SessionNotifyLib() : module_(::LoadLibraryA("wtsapi32.dll")) {}

bool SessionNotifyLib::Register(HWND window) {
    const auto fn =
        framework::ProcAddress<RegisterFn>(module_.Get(), "WTSRegisterSessionNotification");
    if (fn == nullptr) {
        framework::Trace("TvPMTray: no session notifications (wtsapi32.dll missing).\n");
        return false;
    }
    return fn(window, kThisSessionOnly) != FALSE;
}

bool SessionNotifyLib::Unregister(HWND window) {
    const auto fn =
        framework::ProcAddress<UnregisterFn>(module_.Get(), "WTSUnRegisterSessionNotification");
    return fn != nullptr && fn(window) != FALSE;
}

} // namespace tray
