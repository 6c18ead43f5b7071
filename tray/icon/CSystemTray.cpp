#include "tray/icon/CSystemTray.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "framework/Trace.h"
#include "framework/IconLoad.h"
#include "framework/Module.h"
#include "framework/TextCut.h"
#include "framework/WindowText.h"
#include "tray/logic/TrayIds.h"

namespace tray {

namespace {

constexpr char kWindowClass[] = "HalvikTrayIconWindow";
// The first-generation record holds a 64-byte tip, terminator included.
constexpr std::size_t kTipBytes = 64;

bool RegisterWindowClass() {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExA(framework::ModuleInstance(), kWindowClass, &existing)) {
        return true;
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = framework::ModuleInstance();
    wc.lpszClassName = kWindowClass;
    return ::RegisterClassExA(&wc) != 0;
}

} // namespace

bool CSystemTray::ShellNotify(DWORD message, NOTIFYICONDATAA& record) {
    return ::Shell_NotifyIconA(message, &record) != FALSE;
}

CSystemTray::CSystemTray(NotifyFn notify)
    : notify_(std::move(notify)), enabled_(LOBYTE(LOWORD(::GetVersion())) >= 4) {
    data_.cbSize = kNotifyRecordSize;
}

CSystemTray::~CSystemTray() {
    // An icon whose owner is gone would stay in the notification area until the mouse passes.
    RemoveIcon();
}

bool CSystemTray::Create(HWND owner, UINT callbackMessage, const char* tip,
                         framework::UniqueIcon icon, UINT id) {
    if (!enabled_) {
        return false;
    }
    if (Hwnd() == nullptr) {
        framework::CreateOptions options;
        options.style = WS_POPUP;
        options.x = 0;
        options.y = 0;
        options.width = 0;
        options.height = 0;
        if (!RegisterWindowClass() || !framework::Window::Create(kWindowClass, "", options)) {
            framework::Trace("TvPMTray: the tray icon's window cannot be created, error %lu.\n",
                             ::GetLastError());
            return false;
        }
    }
    icon_ = std::move(icon);
    data_.cbSize = kNotifyRecordSize;
    data_.hWnd = owner != nullptr ? owner : Hwnd();
    data_.uID = id;
    data_.hIcon = icon_.Get();
    data_.uFlags = kCreationFlags;
    data_.uCallbackMessage = callbackMessage;
    CopyTip(tip);
    const bool added = Notify(NIM_ADD);
    hidden_ = removed_ = showPending_ = !added;
    synced_ = added;
    return added;
}

bool CSystemTray::SetIcon(framework::UniqueIcon icon) {
    if (!enabled_) {
        return false;
    }
    icon_ = std::move(icon);
    data_.hIcon = icon_.Get();
    data_.uFlags = NIF_ICON;
    return ModifyPart();
}

bool CSystemTray::SetIcon(UINT resourceId) {
    return SetIcon(LoadIconResource(resourceId));
}

bool CSystemTray::SetTooltipText(const char* tip) {
    if (!enabled_) {
        return false;
    }
    data_.uFlags = NIF_TIP;
    CopyTip(tip);
    return ModifyPart();
}

bool CSystemTray::ModifyPart() {
    if (hidden_) {
        synced_ = false; // kept for the next add
        return true;
    }
    const bool modified = Notify(NIM_MODIFY);
    synced_ = synced_ && modified;
    return modified;
}

bool CSystemTray::AddIcon() {
    if (!enabled_) {
        return false;
    }
    // An icon shown with the record as kept here needs only the shell's word that it still
    // has it; that question waits until the apply that asked for the show has answered its
    // sender, and a burst of applies asks it once.
    if (!removed_ && !hidden_ && synced_ && Hwnd() != nullptr) {
        if (!confirmPending_) {
            confirmPending_ = ::PostMessageA(Hwnd(), WM_CONFIRM_ICON, 0, 0) != FALSE;
        }
        if (confirmPending_) {
            return true;
        }
    }
    return Show();
}

bool CSystemTray::Show() {
    // An icon the shell still shows is asked for by a modify: of the callback alone when the
    // shell holds the record as it is kept here (the shell then redraws nothing, where a
    // modify of the picture and tip made it draw the icon again at every apply), else of the
    // whole record. Only when that fails (the shell has lost the icon, after a restart of the
    // taskbar) is it removed and added again.
    data_.uFlags = synced_ ? NIF_MESSAGE : kCreationFlags;
    if (!removed_ && !hidden_ && Notify(NIM_MODIFY)) {
        synced_ = true;
        showPending_ = false;
        return true;
    }
    data_.uFlags = kCreationFlags;
    if (!removed_) {
        RemoveIcon();
        data_.uFlags = kCreationFlags;
    }
    if (!Notify(NIM_ADD)) {
        showPending_ = true;
        return false;
    }
    hidden_ = removed_ = showPending_ = false;
    synced_ = true;
    return true;
}

bool CSystemTray::RemoveIcon() {
    showPending_ = false;
    if (!enabled_ || removed_) {
        return true;
    }
    data_.uFlags = 0;
    if (!Notify(NIM_DELETE)) {
        return false;
    }
    removed_ = hidden_ = true;
    return true;
}

framework::UniqueIcon CSystemTray::LoadIconResource(UINT resourceId) {
    const HINSTANCE instance = framework::ModuleInstance();
    // The notification area shows small icons: the image drawn for that size, else the
    // resource's default one.
    framework::UniqueIcon icon =
        framework::LoadIconAtSize(instance, resourceId, framework::SmallIconSize());
    if (!icon) {
        icon = framework::LoadIconAtSize(instance, resourceId, 0);
    }
    return icon;
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CONFIRM_ICON) {
        confirmPending_ = false;
        // Removed or hidden since it was asked for: the icon is no longer wanted.
        if (enabled_ && !removed_ && !hidden_) {
            Show();
        }
        return 0;
    }
    const LRESULT result = framework::Window::WindowProc(message, wParam, lParam);
    // A new work area usually means a new taskbar: an icon that could not be added before is
    // added now. `hidden_` is set by every failed add, so it cannot tell us whether the icon
    // is wanted; a pending show can, since a removal clears it.
    if (message == WM_SETTINGCHANGE && wParam == SPI_SETWORKAREA && showPending_ && enabled_) {
        data_.uFlags = kCreationFlags;
        if (Notify(NIM_ADD)) {
            hidden_ = removed_ = showPending_ = false;
            synced_ = true;
        }
    }
    return result;
}

bool CSystemTray::Notify(DWORD message) {
    return notify_ && notify_(message, data_);
}

void CSystemTray::CopyTip(const char* tip) {
    std::memset(data_.szTip, 0, sizeof data_.szTip);
    if (tip == nullptr) {
        return;
    }
    // The first 63 bytes, less one when the 63rd would be half of a double-byte character.
    framework::CopyToField(data_.szTip, tip, framework::IsAnsiLeadByte, kTipBytes - 1);
}

} // namespace tray
