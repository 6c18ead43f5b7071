#include "switcher/popup/NotifyIcon.h"

#include <span>

#include "framework/BoundedFormat.h"
#include "framework/Module.h"
#include "switcher/ResourceText.h"
#include "switcher/SwitcherIds.h"
#include "switcher/battery/BatteryPlatform.h"
#include "switcher/logic/BatteryHealthLogic.h"

namespace switcher {

namespace {

static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAW) == 956,
              "the 32-bit Vista notification record");

constexpr UINT kTrayIconId = IDI_SWITCHER;
constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
constexpr UINT kTrayVersion = 3;
constexpr int kTrayIconIds[] = {IDI_BATTERY_GOOD, IDI_BATTERY_WORN, IDI_BATTERY_DAMAGED};
// NIN_BALLOONUSERCLICK: the user clicked the balloon.
constexpr LPARAM kBalloonClicked = NIN_BALLOONUSERCLICK;

} // namespace

void NotifyIcon::LoadIcons() {
    const HINSTANCE instance = framework::ModuleInstance();
    // Notification-area icons at the small icon size the area shows.
    const int small = ::GetSystemMetrics(SM_CXSMICON);
    for (std::size_t i = 0; i < icons_.size(); ++i) {
        icons_[i].Reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(kTrayIconIds[i]),
                                                        IMAGE_ICON, small, small, 0)));
    }
    appIcon_.Reset(static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(IDI_SWITCHER), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    current_ = nullptr;
}

int NotifyIcon::LoadedIconWidth() const {
    ICONINFO info{};
    if (!icons_[0] || !::GetIconInfo(icons_[0].Get(), &info)) {
        return 0;
    }
    // GetIconInfo hands out copies of the icon's bitmaps, which are the caller's to delete.
    const framework::UniqueBitmap mask(info.hbmMask);
    const framework::UniqueBitmap colour(info.hbmColor);
    BITMAP bitmap{};
    return ::GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap) != 0 ? bitmap.bmWidth : 0;
}

int NotifyIcon::CurrentIndex() const {
    for (std::size_t i = 0; i < icons_.size(); ++i) {
        if (current_ != nullptr && icons_[i].Get() == current_) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

NOTIFYICONDATAW NotifyIcon::Record() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = popup_.Hwnd();
    data.uID = kTrayIconId;
    data.uFlags = kTrayFlags;
    data.uCallbackMessage = WM_SWITCHER_TRAY;
    // The tip is the window text, cut to what the record holds.
    ::GetWindowTextW(popup_.Hwnd(), data.szTip, static_cast<int>(std::size(data.szTip)));
    data.uVersion = kTrayVersion;
    return data;
}

bool NotifyIcon::SetTrayIcon(int index, bool add) {
    if (!add) {
        NOTIFYICONDATAW data = Record();
        return ::Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= icons_.size()) {
        return false;
    }
    NOTIFYICONDATAW data = Record();
    data.hIcon = icons_[static_cast<std::size_t>(index)].Get();
    current_ = data.hIcon;
    // The icon may be there already from an earlier warning: then it only changes its picture.
    return ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE ||
           ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool NotifyIcon::ShowTrayBalloon(const wchar_t* title, const wchar_t* text) {
    NOTIFYICONDATAW data = Record();
    data.dwInfoFlags = NIIF_INFO;
    data.hIcon = current_;
    framework::FormatInto(std::span<wchar_t>(data.szInfoTitle), L"%s", title);
    framework::FormatInto(std::span<wchar_t>(data.szInfo), L"%s", text);
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

LRESULT NotifyIcon::OnNotify(LPARAM event) {
    switch (event) {
    case WM_LBUTTONDOWN:
        ::SetForegroundWindow(popup_.Hwnd());
        break;
    case WM_LBUTTONDBLCLK: {
        const BatteryWarning warning =
            WarningForTrayIcon(CurrentIndex(), LoadBatteryTexts(framework::ModuleInstance()));
        ShowTrayBalloon(warning.title.c_str(), warning.text.c_str());
        break;
    }
    case kBalloonClicked: {
        const std::wstring page = LoadResourceText(framework::ModuleInstance(), IDS_MAKER_PAGE);
        ::ShellExecuteW(nullptr, L"open", page.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
        break;
    }
    default:
        break;
    }
    return 0;
}

} // namespace switcher
