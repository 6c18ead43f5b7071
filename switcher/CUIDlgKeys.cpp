// The popup's keyboard side: the low-level hook that shows it, its two timers and the arrow
// keys that move the highlight across the two lists.
#include "switcher/CUIDlg.h"

#include "framework/Contain.h"
#include "framework/Module.h"
#include "switcher/DebugTrace.h"
#include "switcher/SwitcherIds.h"

namespace switcher {

namespace {

constexpr UINT kPopupTickMs = 1000;
constexpr UINT kRehookDelayMs = 2000;

} // namespace

LRESULT CALLBACK CUIDlg::KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    // Called from this thread's message loop for every key of the session: it must return
    // quickly and only sends or posts to the dialog. It never swallows a key.
    if (code == HC_ACTION && hookOwner_ != nullptr && lParam != 0) {
        const auto& key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        framework::CallContained("CUIDlg::KeyboardHookProc", 0, [&key] {
            hookOwner_->OnHookKey(key);
            return 0;
        });
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CUIDlg::OnHookKey(const KBDLLHOOKSTRUCT& key) {
    switch (ClassifyHookKey(debug_, key.vkCode, key.scanCode, key.flags)) {
    case HookKey::Profile:
        if (IsShown()) {
            ForceForeground();
            Post(WM_KEYDOWN, VK_DOWN);
        } else {
            ShowPopup();
        }
        break;
    case HookKey::Battery:
        FinishStart(); // the start's own check comes first
        health_.ForceNextWarning();
        Send(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE);
        break;
    case HookKey::Other:
        break;
    }
    if (timer_ == 0) {
        StartTimer(TIMER_REHOOK, kRehookDelayMs);
    }
}

void CUIDlg::ShowPopup() {
    FinishStart();
    ::SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::ShowWindow(Hwnd(), SW_SHOW);
    // The top visible scheme is highlighted and the scheme list becomes the current one; the
    // refresh that follows marks the active scheme and brings it into view.
    schemeList_.Send(WM_MOUSEHOVER, 0, 0);
    Send(WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, 0);
    ForceForeground();
    StopTimer();
    idle_.Reset();
    StartTimer(TIMER_POPUP, kPopupTickMs);
}

bool CUIDlg::InstallHook() {
    hookOwner_ = this;
    hook_.Reset(::SetWindowsHookExW(WH_KEYBOARD_LL, &CUIDlg::KeyboardHookProc,
                                    framework::ModuleInstance(), 0));
    return static_cast<bool>(hook_);
}

void CUIDlg::ReHook() {
    // Windows drops a low-level hook that once took too long (after a resume, under load);
    // installing it afresh whenever the popup hides keeps the key working.
    const BOOL unhooked = hook_ ? ::UnhookWindowsHookEx(hook_.Release()) : FALSE;
    DebugTrace(false, L"CUIDlg::ReHook", L"Rehook. %x\n", unhooked);
    InstallHook();
}

void CUIDlg::ForceForeground() {
    // A program may take the foreground only from the thread that has the input; joining that
    // thread's input for the call lets the popup come to the front over any program.
    const HWND foreground = ::GetForegroundWindow();
    const DWORD foregroundThread =
        foreground != nullptr ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
    const DWORD thisThread = ::GetCurrentThreadId();
    const bool attach = foregroundThread != 0 && foregroundThread != thisThread;
    if (attach) {
        ::AttachThreadInput(foregroundThread, thisThread, TRUE);
    }
    ::SetForegroundWindow(Hwnd());
    if (attach) {
        ::AttachThreadInput(foregroundThread, thisThread, FALSE);
    }
}

void CUIDlg::StartTimer(UINT_PTR id, UINT milliseconds) {
    if (SetTimer(id, milliseconds)) {
        timer_ = id;
    }
}

void CUIDlg::StopTimer() {
    if (timer_ != 0) {
        KillTimer(timer_);
        timer_ = 0;
    }
}

void CUIDlg::OnTimer(UINT_PTR id) {
    switch (id) {
    case TIMER_REHOOK:
        if (!IsShown()) {
            ReHook();
            KillTimer(TIMER_REHOOK);
            if (timer_ == TIMER_REHOOK) {
                timer_ = 0;
            }
        }
        break;
    case TIMER_POPUP:
        OnBatteryTimer();
        if (idle_.Tick()) {
            Send(WM_COMMAND, IDCANCEL);
        }
        break;
    default:
        break;
    }
}

bool CUIDlg::PreTranslateMessage(MSG& message) {
    if (message.message != WM_TIMER) {
        idle_.Reset();
    }
    if (message.message == WM_KEYDOWN && started_) {
        Navigate(static_cast<UINT>(message.wParam));
    }
    // Enter gives IDOK and Escape IDCANCEL.
    return Dialog::PreTranslateMessage(message);
}

bool CUIDlg::Navigate(UINT virtualKey) {
    if (virtualKey != VK_UP && virtualKey != VK_DOWN) {
        return false;
    }
    CAdvListCtrl* current = currentList_.list;
    if (current != &schemeList_ && current != &actionList_) {
        return false;
    }
    CAdvListCtrl& other = current == &schemeList_ ? actionList_ : schemeList_;
    NavigationMove move;
    const NavigationKey key = virtualKey == VK_UP ? NavigationKey::Up : NavigationKey::Down;
    if (!switcher::Navigate(key, current->Model(), other.Model(), move)) {
        return false;
    }
    if (move.toOtherList) {
        // As a hover on its top row would: the other list becomes the current one.
        other.Send(WM_MOUSEHOVER, 0, 0);
        other.HighlightVisibleRow(move.relative);
    } else {
        current->HighlightVisibleRow(move.relative);
    }
    return true;
}

} // namespace switcher
