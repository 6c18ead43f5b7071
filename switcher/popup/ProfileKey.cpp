#include "switcher/popup/ProfileKey.h"

#include "framework/Contain.h"
#include "framework/Module.h"
#include "switcher/DebugTrace.h"
#include "switcher/SwitcherIds.h"

namespace switcher {

namespace {

constexpr UINT kPopupTickMs = 1000;
constexpr UINT kRehookDelayMs = 2000;

} // namespace

ProfileKey* ProfileKey::owner_ = nullptr;

ProfileKey::ProfileKey(framework::Window& popup, bool debug) : popup_(popup), debug_(debug) {}

ProfileKey::~ProfileKey() {
    if (owner_ == this) {
        owner_ = nullptr;
    }
}

LRESULT CALLBACK ProfileKey::HookProc(int code, WPARAM wParam, LPARAM lParam) {
    // Called from this thread's message loop for every key of the session: it must return
    // quickly, as Windows drops a hook that takes too long, so it only posts to the dialog. It
    // never swallows a key.
    if (code == HC_ACTION && owner_ != nullptr && lParam != 0) {
        const auto& key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        framework::CallContained("CUIDlg::KeyboardHookProc", 0, [&key] {
            owner_->OnKey(key);
            return 0;
        });
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void ProfileKey::OnKey(const KBDLLHOOKSTRUCT& key) {
    const HookKey kind = ClassifyHookKey(debug_, key.vkCode, key.scanCode, key.flags);
    // What the key does (showing the popup, and finishing the start when it comes early: images
    // to decode, the schemes, the shell) runs from the loop once the hook has returned.
    if (kind != HookKey::Other && !popup_.Post(WM_SWITCHER_HOOK_KEY, static_cast<WPARAM>(kind))) {
        DebugTrace(true, L"CUIDlg::KeyboardHookProc", L"The key cannot be passed on, error %lu.\n",
                   ::GetLastError());
    }
    if (timer_ == 0) {
        StartTimer(TIMER_REHOOK, kRehookDelayMs);
    }
}

bool ProfileKey::Install(const wchar_t* tag) {
    owner_ = this;
    hook_.Reset(
        ::SetWindowsHookExW(WH_KEYBOARD_LL, &ProfileKey::HookProc, framework::ModuleInstance(), 0));
    if (!hook_) {
        // Without it the keys do nothing until the next rehook.
        DebugTrace(true, tag, L"The keyboard hook cannot be installed, error %lu.\n",
                   ::GetLastError());
        return false;
    }
    return true;
}

void ProfileKey::ReHook() {
    // Windows drops a low-level hook that once took too long (after a resume, under load);
    // installing it afresh whenever the popup hides keeps the key working.
    const BOOL unhooked = hook_ ? ::UnhookWindowsHookEx(hook_.Release()) : FALSE;
    DebugTrace(false, L"CUIDlg::ReHook", L"Rehook. %x\n", unhooked);
    Install(L"CUIDlg::ReHook");
}

void ProfileKey::Uninstall() {
    hook_.Reset();
    if (owner_ == this) {
        owner_ = nullptr;
    }
}

void ProfileKey::StartTimer(UINT_PTR id, UINT milliseconds) {
    if (popup_.SetTimer(id, milliseconds)) {
        timer_ = id;
    }
}

void ProfileKey::StopTimer() {
    if (timer_ != 0) {
        popup_.KillTimer(timer_);
        timer_ = 0;
    }
}

void ProfileKey::StartPopupTimer() {
    StopTimer();
    idle_.Reset();
    StartTimer(TIMER_POPUP, kPopupTickMs);
}

void ProfileKey::OnRehookTimer() {
    ReHook();
    popup_.KillTimer(TIMER_REHOOK);
    if (timer_ == TIMER_REHOOK) {
        timer_ = 0;
    }
}

} // namespace switcher
