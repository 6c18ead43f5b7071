// The popup's battery side: the indicator (picture and text), the health check with its
// warning, and the notification-area icon and balloon that carry the warning.
#include "switcher/CUIDlg.h"

#include <shellapi.h>

#include <span>

#include "framework/BoundedFormat.h"
#include "framework/Module.h"
#include "switcher/DebugTrace.h"
#include "switcher/ResourceText.h"
#include "switcher/SwitcherIds.h"
#include "switcher/battery/BatteryPlatform.h"

namespace switcher {

namespace {

static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAW) == 956,
              "the 32-bit Vista notification record");

constexpr UINT kTrayIconId = IDI_SWITCHER;
// NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO.
constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
constexpr UINT kTrayVersion = 3;
constexpr int kTrayIconIds[] = {IDI_BATTERY_GOOD, IDI_BATTERY_WORN, IDI_BATTERY_DAMAGED};
// NIN_BALLOONUSERCLICK: the user clicked the balloon.
constexpr LPARAM kBalloonClicked = NIN_BALLOONUSERCLICK;

} // namespace

void CUIDlg::UpdateBatteryIndicator(const IndicatorUpdate& update, const wchar_t* tag) {
    for (const std::wstring& line : update.traces) {
        DebugTrace(true, tag, L"%s", line.c_str());
    }
    if (update.frame && *update.frame >= 0 && *update.frame < kBatteryFrameCount) {
        const INT width = static_cast<INT>(ImageWidth(batteryStrip_.Get())) / kBatteryFrameCount;
        const INT height = static_cast<INT>(ImageHeight(batteryStrip_.Get()));
        indicator_.SetPicture(UniqueGpBitmap(
            CutImageFrame(batteryStrip_.Get(), *update.frame * width, width, height)));
    }
    if (update.text) {
        indicator_.SetText(update.text->c_str());
    }
}

void CUIDlg::OnBatterySettingChange(LPARAM data) {
    const IndicatorUpdate update = batteryStatus_.OnPowerSettingChange(
        ReadPowerStatus(), IsBatteryPercentageNotification(data),
        LoadBatteryTexts(framework::ModuleInstance()));
    UpdateBatteryIndicator(update, L"CUIDlg::OnPower");
}

void CUIDlg::OnBatteryTimer() {
    const IndicatorUpdate update = batteryStatus_.OnPopupTimer(
        ReadPowerStatus(), LoadBatteryTexts(framework::ModuleInstance()));
    UpdateBatteryIndicator(update, L"CUIDlg::OnTimer");
}

void CUIDlg::CheckBatteryHealth() {
    SYSTEM_POWER_STATUS status{};
    if (!::GetSystemPowerStatus(&status)) {
        return;
    }
    const HealthResult result =
        health_.Check(status, LoadBatteryTexts(framework::ModuleInstance()));
    UpdateTrayForHealth(result);
    indicator_.SetText(result.indicatorText.c_str());
}

void CUIDlg::UpdateTrayForHealth(const HealthResult& result) {
    switch (result.tray) {
    case HealthResult::Tray::Remove:
        SetTrayIcon(0, false);
        break;
    case HealthResult::Tray::ShowWarning:
        if (result.warning) {
            SetTrayIcon(result.warning->trayIcon, true);
            ShowTrayBalloon(result.warning->title.c_str(), result.warning->text.c_str());
        }
        break;
    case HealthResult::Tray::Unchanged:
        break;
    }
}

void CUIDlg::SendEcStartCommand() {
    health_.Start();
}

void CUIDlg::LoadTrayIcons() {
    const HINSTANCE instance = framework::ModuleInstance();
    // Notification-area icons at the small icon size the area shows.
    const int small = ::GetSystemMetrics(SM_CXSMICON);
    for (std::size_t i = 0; i < trayIcons_.size(); ++i) {
        trayIcons_[i].Reset(static_cast<HICON>(::LoadImageW(
            instance, MAKEINTRESOURCEW(kTrayIconIds[i]), IMAGE_ICON, small, small, 0)));
    }
    appIcon_.Reset(static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(IDI_SWITCHER), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    currentTrayIcon_ = nullptr;
}

int CUIDlg::CurrentTrayIndex() const {
    for (std::size_t i = 0; i < trayIcons_.size(); ++i) {
        if (currentTrayIcon_ != nullptr && trayIcons_[i].Get() == currentTrayIcon_) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CUIDlg::SetTrayIcon(int index, bool add) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = Hwnd();
    data.uID = kTrayIconId;
    data.uFlags = kTrayFlags;
    data.uCallbackMessage = WM_SWITCHER_TRAY;
    // The tip is the window text, cut to what the record holds.
    ::GetWindowTextW(Hwnd(), data.szTip, static_cast<int>(std::size(data.szTip)));
    data.uVersion = kTrayVersion;
    if (!add) {
        return ::Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
    }
    if (index < 0 || static_cast<std::size_t>(index) >= trayIcons_.size()) {
        return false;
    }
    data.hIcon = trayIcons_[static_cast<std::size_t>(index)].Get();
    currentTrayIcon_ = data.hIcon;
    // The icon may be there already from an earlier warning: then it only changes its picture.
    return ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE ||
           ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool CUIDlg::ShowTrayBalloon(const wchar_t* title, const wchar_t* text) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = Hwnd();
    data.uID = kTrayIconId;
    data.uFlags = kTrayFlags;
    data.uCallbackMessage = WM_SWITCHER_TRAY;
    ::GetWindowTextW(Hwnd(), data.szTip, static_cast<int>(std::size(data.szTip)));
    data.uVersion = kTrayVersion;
    data.dwInfoFlags = NIIF_INFO;
    data.hIcon = currentTrayIcon_;
    framework::FormatInto(std::span<wchar_t>(data.szInfoTitle), L"%s", title);
    framework::FormatInto(std::span<wchar_t>(data.szInfo), L"%s", text);
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

LRESULT CUIDlg::OnTrayNotify(LPARAM event) {
    switch (event) {
    case WM_LBUTTONDOWN:
        ::SetForegroundWindow(Hwnd());
        break;
    case WM_LBUTTONDBLCLK: {
        const BatteryWarning warning =
            WarningForTrayIcon(CurrentTrayIndex(), LoadBatteryTexts(framework::ModuleInstance()));
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
