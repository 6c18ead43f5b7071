// The tray program's notification-area icon. It keeps the first-generation notify
// record the shell is given, owns the icon it shows, and has a hidden pop-up window of its own
// that puts the icon back when the taskbar's work area changes after an add that failed.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "framework/UniqueHandle.h"
#include "framework/Window.h"

namespace tray {

// The first-generation record: 88 bytes on 32-bit Windows, the same fields (and so 104 bytes)
// on 64-bit Windows, whose shell takes no other size for it.
inline constexpr DWORD kNotifyRecordSize = NOTIFYICONDATAA_V1_SIZE;
static_assert(sizeof(void*) != 4 || kNotifyRecordSize == 88);
static_assert(sizeof(void*) != 8 || kNotifyRecordSize == 104);

inline constexpr UINT kCreationFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
static_assert(kCreationFlags == 7);

class CSystemTray : public framework::Window {
public:
    // The shell call; tests put a recorder in its place.
    using NotifyFn = std::function<bool(DWORD message, NOTIFYICONDATAA& record)>;

    static bool ShellNotify(DWORD message, NOTIFYICONDATAA& record);

    explicit CSystemTray(NotifyFn notify = &CSystemTray::ShellNotify);
    ~CSystemTray() override;

    // Creates the hidden window and adds the icon; the result is whether the shell took it.
    // Notifications go to `owner` (to the hidden window when there is none). Only the first
    // 63 bytes of the tip are kept. Fails at once on Windows older than version 4.
    bool Create(HWND owner, UINT callbackMessage, const char* tip, framework::UniqueIcon icon,
                UINT id);

    // The icon shown from now on; the one shown before is destroyed.
    bool SetIcon(framework::UniqueIcon icon);
    bool SetIcon(UINT resourceId);
    bool SetTooltipText(const char* tip);

    // Shows the icon: an icon still shown is modified (of its callback alone when the shell
    // already holds the record as kept here, else with the creation flags); one the shell no
    // longer takes a modify for, or one removed, is removed (unless it is) and added again.
    // For an icon shown with the record as kept, that modify comes from the icon's window
    // once the loop runs again (once for any number of shows before that).
    bool AddIcon();
    bool RemoveIcon();

    bool Enabled() const { return enabled_; }
    bool Hidden() const { return hidden_; }
    bool Removed() const { return removed_; }
    bool ShowPending() const { return showPending_; }
    HICON Icon() const { return icon_.Get(); }
    std::string TooltipText() const { return data_.szTip; }
    const NOTIFYICONDATAA& Record() const { return data_; }

    // A small icon resource of this module: the 16-pixel image where there is one.
    static framework::UniqueIcon LoadIconResource(UINT resourceId);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool Notify(DWORD message);
    void CopyTip(const char* tip);
    // A modify of the parts the flags name, unless hidden.
    bool ModifyPart();
    // The show itself, at once.
    bool Show();

    NotifyFn notify_;
    NOTIFYICONDATAA data_{};
    framework::UniqueIcon icon_;
    bool enabled_;
    bool hidden_ = false;
    bool removed_ = false;
    bool showPending_ = false;
    // The shell holds the record as kept here: every change since the last add was taken.
    bool synced_ = false;
    // A check that the shell still shows the icon is posted and not yet made.
    bool confirmPending_ = false;
};

} // namespace tray
