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
    : policy_(policy), keyboardHook_(keyboardHook), osClass_(store::WindowsVersionClass()),
      firmware_(TrayFirmwarePort()), view_(tray_), applier_(policy, firmware_, osClass_),
      reminder_(firmware_) {
    framework::Trace("TvPMTray: Halvik starts (process %lu, Windows class %d).\n",
                 ::GetCurrentProcessId(), osClass_);
}

CMainFrame::~CMainFrame() {
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
    case WM_DESTROY:
        linkedTick_.Stop();
        return framework::Window::WindowProc(message, wParam, lParam);
    case WM_QUERYENDSESSION:
        return OnQueryEndSession(wParam, lParam);
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
    case WM_FOREGROUND_CHANGED:
        // From the foreground hook, the end of the program in front or a change of the store.
        if (linked_.Built()) {
            linked_.Notice(wParam, lParam);
            CheckLinkedPrograms();
        }
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
    ReadPowerStatus();
    lastBatteryColumn_ = store::ColumnForPercent(batteryPercent_);
    lastAcStatus_ = acStatus_;

    readOnly_ = !store::PowerApi().CanUserWritePwrScheme();
    applier_.Start();
    store::SchemeStore work;
    work.LoadGlobal(HKEY_CURRENT_USER);
    keyboardHook_.Start(Hwnd(), WM_HOOK_NOTIFY);

    if (HidesSystemMeter(osClass_)) {
        HideSystemBatteryMeter();
        SetTimer(TIMER_HIDE_SYSTEM_METER, kHideSystemMeterPeriod);
    }
    // The reconditioning check looks at the battery a few times early in the session.
    if (!readOnly_) {
        SetTimer(TIMER_BATTERY_LEARNING, kBatteryLearningPeriod);
    }

    acSchemeId_ = static_cast<int>(work.global.PwrSchemeAC);
    batterySchemeId_ = static_cast<int>(work.global.PwrSchemeDC);

    if (osClass_ == store::kWindowsXp) {
        SessionNotifyLib sessions;
        sessions.Register(Hwnd());
    }
    framework::Trace("TvPMTray: AC %d, battery %d%%, Windows scheme %d%s.\n", acStatus_,
                     batteryPercent_, applier_.WindowsScheme(), readOnly_ ? ", read-only" : "");

    OnSchemeChanged();

    framework::Trace("\nTvPMTray: SpeedStep Support: %d\n", applier_.SpeedStep());
    framework::Trace("\nTvPMTray: SpeedStep Support: %d\n", static_cast<int>(policy_.SpeedStepWord()));
    return 0;
}

LRESULT CMainFrame::OnPowerBroadcast(WPARAM event) {
    switch (event) {
    case PBT_APMRESUMECRITICAL:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMEAUTOMATIC:
        // The machine needs a moment after waking before its readings are worth anything.
        SetTimer(TIMER_RESUME, kResumeDelay);
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
    SetTimer(TIMER_REFRESH_POWER_OPTIONS, kRefreshPowerOptionsPeriod);
}

void CMainFrame::OnTimer(UINT_PTR id) {
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
        if (!reminder_.Check(Hwnd(), readOnly_)) {
            KillTimer(TIMER_BATTERY_LEARNING);
        }
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
    KillTimer(TIMER_REFRESH_POWER_OPTIONS);
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
