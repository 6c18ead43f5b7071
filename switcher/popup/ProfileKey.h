// The notebook's profile key, which brings the popup up from any program: a low-level keyboard
// hook reports it (and the battery key) to the popup, and is installed afresh whenever the
// popup hides, as Windows drops a hook that once took too long. With it the popup's one timer:
// the delayed rehook while the popup is hidden, the tick that counts idle seconds while it shows.
#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"
#include "framework/Window.h"
#include "switcher/logic/PopupRules.h"

namespace switcher {

class ProfileKey {
public:
    // `popup` gets the timers, and WM_SWITCHER_HOOK_KEY (the HookKey in wParam) for the profile
    // key and the battery key. `debug` makes F12 act as the profile key.
    ProfileKey(framework::Window& popup, bool debug);
    ~ProfileKey();

    ProfileKey(const ProfileKey&) = delete;
    ProfileKey& operator=(const ProfileKey&) = delete;

    // Installs the hook (again); a failure is traced under `tag`.
    bool Install(const wchar_t* tag);
    void ReHook();
    void Uninstall();

    // The popup shows: the idle count starts again and the tick runs.
    void StartPopupTimer();
    void StopTimer();
    // TIMER_REHOOK while the popup is hidden.
    void OnRehookTimer();
    // Any input but a timer tick keeps the popup up.
    void OnActivity() { idle_.Reset(); }
    // TIMER_POPUP: true when the popup has been idle long enough to hide.
    bool IdleTick() { return idle_.Tick(); }

    // What Windows calls for every key of the session once the hook is installed.
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);

private:
    void OnKey(const KBDLLHOOKSTRUCT& key);
    void StartTimer(UINT_PTR id, UINT milliseconds);

    framework::Window& popup_;
    const bool debug_;
    framework::UniqueHook hook_;
    UINT_PTR timer_ = 0;
    PopupIdle idle_;

    // The object the hook reports to; the hook procedure gets no context of its own.
    static ProfileKey* owner_;
};

} // namespace switcher
