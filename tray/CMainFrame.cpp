#include "CMainFrame.h"

#include "ResourceText.h"
#include "SessionNotifyLib.h"
#include "framework/Trace.h"
#include "TimeoutTables.h"
#include "VersionClass.h"
#include "WindowsVersion.h"
#include "logic/TimerDispatch.h"
#include "logic/TrayIds.h"
#include "resource.h"

namespace tray {

namespace {

// The frame flag that puts the document name into the title; the system ignores the bit.
constexpr DWORD kAddToTitle = 0x8000;

// Windows' own battery meter in the notification area, which our icon replaces.
constexpr char kSystemMeterClass[] = "SystemTray_Main";
constexpr UINT kSystemMeterIconId = 1225;

constexpr DWORD kPowerStatusSettle = 200;

bool HidesSystemMeter(int osClass) {
    return osClass == store::kWindows2000 || osClass == store::kWindowsXp;
}

hardware::FirmwarePort TrayFirmwarePort() {
    hardware::FirmwarePort port = hardware::ZelnorPort();
    port.trace = &framework::TraceText;
    return port;
}

} // namespace

CMainFrame::CMainFrame(const hardware::NotebookPolicy& policy, KeyboardHookLib& keyboardHook)
    : firmware_(TrayFirmwarePort()), osClass_(store::WindowsVersionClass()), policy_(policy),
      keyboardHook_(keyboardHook) {
    framework::Trace("TvPMTray: Halvik starts (process %lu, Windows class %d).\n",
                 ::GetCurrentProcessId(), osClass_);
}

CMainFrame::~CMainFrame() {
    linkedSchemes_.clear();
    framework::Trace("TvPMTray: Halvik exits.\n");
}

bool CMainFrame::CreateFrame(const char* title) {
    framework::CreateOptions options;
    options.style = WS_OVERLAPPEDWINDOW | kAddToTitle;
    return Create(kFrameClassName, title, options);
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (DefaultProc(message, wParam, lParam) == -1) {
            return -1;
        }
        return OnCreate();
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        return OnQueryEndSession(wParam, lParam);
    case WM_TIMER:
        OnTimerTick(wParam);
        return DefaultProc(message, wParam, lParam);
    case WM_POWERBROADCAST:
        return OnPowerBroadcast(wParam);
    case WM_WTSSESSION_CHANGE:
        OnSessionChange(wParam);
        return 0;
    case WM_HOOK_NOTIFY:
        return 0;
    case WM_TRAY_NOTIFY:
        OnTrayNotify(wParam, lParam);
        return 0;
    case WM_SCHEME_CHANGED:
        OnSchemeChanged();
        return 0;
    case WM_TRAY_EXIT:
        OrderlyExit();
        return 0;
    case WM_REFRESH_POWER_OPTIONS:
        OnRefreshRequest(wParam);
        return 0;
    default:
        return framework::Window::WindowProc(message, wParam, lParam);
    }
}

LRESULT CMainFrame::OnCreate() {
    if (!tray_.Create(Hwnd(), WM_TRAY_NOTIFY, "", CSystemTray::LoadIconResource(IDI_READ_ONLY),
                      kTrayIconId)) {
        framework::Trace("TvPMTray: the tray icon cannot be added.\n");
        return -1;
    }
    store::PowerApi api;
    store::SchemeStore work;

    ReadPowerStatus();
    lastBatteryColumn_ = store::ColumnForPercent(batteryPercent_);
    lastAcStatus_ = acStatus_;

    readOnly_ = !api.CanUserWritePwrScheme();
    windowsSchemeId_ = store::FindSystemScheme();
    work.LoadGlobal(HKEY_CURRENT_USER);
    keyboardHook_.Start(Hwnd(), WM_HOOK_NOTIFY);

    if (HidesSystemMeter(osClass_)) {
        HideSystemBatteryMeter();
        ::SetTimer(Hwnd(), TIMER_HIDE_SYSTEM_METER, kHideSystemMeterPeriod, nullptr);
    }
    // The reconditioning check looks at the battery a few times early in the session.
    if (!readOnly_) {
        learningTimer_ =
            ::SetTimer(Hwnd(), TIMER_BATTERY_LEARNING, kBatteryLearningPeriod, nullptr);
    }

    acSchemeId_ = static_cast<int>(work.global.PwrSchemeAC);
    batterySchemeId_ = static_cast<int>(work.global.PwrSchemeDC);
    speedStep_ = hardware::ReadSpeedStepSupport();

    if (osClass_ == store::kWindowsXp) {
        SessionNotifyLib sessions;
        sessions.Register(Hwnd());
    }
    framework::Trace("TvPMTray: AC %d, battery %d%%, Windows scheme %d%s.\n", acStatus_,
                 batteryPercent_, windowsSchemeId_, readOnly_ ? ", read-only" : "");

    OnSchemeChanged();

    framework::Trace("\nTvPMTray: SpeedStep Support: %d\n", speedStep_);
    framework::Trace("\nTvPMTray: SpeedStep Support: %d\n", static_cast<int>(policy_.SpeedStepWord()));
    return 0;
}

LRESULT CMainFrame::OnPowerBroadcast(WPARAM event) {
    switch (event) {
    case PBT_APMRESUMECRITICAL:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMEAUTOMATIC:
        // The machine needs a moment after waking before its readings are worth anything.
        ::SetTimer(Hwnd(), TIMER_RESUME, kResumeDelay, nullptr);
        break;
    case PBT_APMPOWERSTATUSCHANGE:
        OnPowerStatusChange();
        ::Sleep(kPowerStatusSettle);
        HideSystemBatteryMeter();
        break;
    default:
        break;
    }
    // Also for the suspend queries: the tray never vetoes a suspend.
    return TRUE;
}

void CMainFrame::OnSessionChange(WPARAM event) {
    switch (event) {
    case WTS_CONSOLE_CONNECT:
        keyboardHook_.Start(Hwnd(), WM_HOOK_NOTIFY);
        consoleDisconnected_ = false;
        OnSchemeChanged();
        break;
    case WTS_CONSOLE_DISCONNECT:
        keyboardHook_.Stop();
        consoleDisconnected_ = true;
        break;
    default:
        break;
    }
}

void CMainFrame::OnRefreshRequest(WPARAM request) {
    if (!ShouldArmRefresh(request, refreshPending_)) {
        return;
    }
    refreshPending_ = request;
    refreshTimer_ =
        ::SetTimer(Hwnd(), TIMER_REFRESH_POWER_OPTIONS, kRefreshPowerOptionsPeriod, nullptr);
}

void CMainFrame::OnTimerTick(UINT_PTR id) {
    switch (DecideTimer(id, refreshPending_)) {
    case TimerAction::RefreshPowerOptions:
        RefreshPowerOptions();
        break;
    case TimerAction::HideSystemMeter:
        HideSystemBatteryMeter();
        break;
    case TimerAction::CheckLinkedPrograms:
        CheckLinkedPrograms();
        break;
    case TimerAction::CheckBatteryLearning:
        CheckBatteryLearning();
        break;
    case TimerAction::SingleClick:
        OnSingleClickTimer();
        break;
    case TimerAction::Resume:
        OnResume();
        break;
    case TimerAction::None:
        break;
    }
}

void CMainFrame::RefreshPowerOptions() {
    // Killed first: the work below may take longer than the timer's period.
    ::KillTimer(Hwnd(), TIMER_REFRESH_POWER_OPTIONS);
    refreshTimer_ = 0;
    const std::string title =
        LoadResourceText(osClass_ == store::kWindowsMe ? IDS_POWER_OPTIONS_ME : IDS_POWER_OPTIONS);
    // Hiding and showing the window makes it read the power settings again.
    if (!title.empty()) {
        if (const HWND options = ::FindWindowA(nullptr, title.c_str())) {
            ::ShowWindow(options, SW_HIDE);
            ::ShowWindow(options, SW_SHOW);
        }
    }
    refreshPending_ = 0;
}

void CMainFrame::HideSystemBatteryMeter() {
    if (!HidesSystemMeter(osClass_)) {
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

LRESULT CMainFrame::OnQueryEndSession(WPARAM wParam, LPARAM lParam) {
    if (DefaultProc(WM_QUERYENDSESSION, wParam, lParam) == FALSE) {
        return FALSE;
    }
    OrderlyExit();
    return TRUE;
}

void CMainFrame::OnClose() {
    tray_.RemoveIcon();
    DefaultProc(WM_CLOSE, 0, 0);
}

void CMainFrame::OrderlyExit() {
    framework::Trace("TvPMTray: orderly exit.\n");
    keyboardHook_.Stop();
    if (osClass_ == store::kWindowsXp) {
        SessionNotifyLib sessions;
        sessions.Unregister(Hwnd());
    }
    tray_.RemoveIcon();
    Destroy();
}

} // namespace tray
