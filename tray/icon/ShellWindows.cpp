#include "tray/icon/ShellWindows.h"

#include <windows.h>

#include "tray/icon/CSystemTray.h"
#include "VersionClass.h"

namespace tray {

namespace {

// Windows' own battery meter in the notification area, which our icon replaces.
constexpr char kSystemMeterClass[] = "SystemTray_Main";
constexpr UINT kSystemMeterIconId = 1225;

} // namespace

bool ShellWindows::HasSystemMeter() const {
    return osClass_ == store::kWindows2000 || osClass_ == store::kWindowsXp;
}

void ShellWindows::HideSystemBatteryMeter() const {
    if (!HasSystemMeter()) {
        return;
    }
    const HWND meter = ::FindWindowA(kSystemMeterClass, nullptr);
    if (meter == nullptr) {
        return;
    }
    NOTIFYICONDATAA record{};
    record.cbSize = kNotifyRecordSize;
    record.hWnd = meter;
    record.uID = kSystemMeterIconId;
    record.uFlags = 0;
    ::Shell_NotifyIconA(NIM_DELETE, &record);
}

void ShellWindows::RefreshPowerOptions(const std::string& title) {
    // Hiding and showing the window makes it read the power settings again.
    if (title.empty()) {
        return;
    }
    if (const HWND options = ::FindWindowA(nullptr, title.c_str())) {
        ::ShowWindow(options, SW_HIDE);
        ::ShowWindow(options, SW_SHOW);
    }
}

} // namespace tray
