#include "tray/CMainFrame.h"

#include "PowerStatus.h"
#include "tray/ResourceText.h"
#include "tray/libraries/SessionNotifyLib.h"
#include "TimeoutTables.h"
#include "VersionClass.h"
#include "WindowsVersion.h"
#include "framework/CommandState.h"
#include "framework/Trace.h"
#include "tray/logic/PowerDecision.h"
#include "tray/logic/SchemeMenu.h"
#include "tray/logic/TimerDispatch.h"
#include "tray/logic/TrayIds.h"
#include "tray/resource.h"

static_assert(ID_ADJUST_PROPERTIES_CMD == tray::ID_ADJUST_PROPERTIES);
static_assert(ID_APP_ABOUT_CMD == tray::ID_APP_ABOUT);

namespace tray {

namespace {

// The frame flag that puts the document name into the title; the system ignores the bit.
constexpr DWORD kAddToTitle = 0x8000;
// How long the machine is given after waking before its readings are taken.
constexpr DWORD kResumeSettle = 2000;

hardware::FirmwarePort TrayFirmwarePort() {
    hardware::FirmwarePort port = hardware::ZelnorPort();
    port.trace = &framework::TraceText;
    return port;
}

} // namespace

CMainFrame::CMainFrame(const hardware::NotebookPolicy& policy, KeyboardHookLib& keyboardHook)
    : policy_(policy), keyboardHook_(keyboardHook), osClass_(store::WindowsVersionClass()),
      firmware_(TrayFirmwarePort()), view_(tray_), applier_(policy, firmware_, osClass_),
      reminder_(firmware_), menus_(*this), shell_(osClass_) {
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
        meterTick_.Stop();
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
        menus_.OnNotify(wParam, lParam);
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
        // From the foreground hook, or the end of the program in front.
        if (linked_.Built()) {
            linked_.Notice(wParam, lParam);
            CheckLinkedPrograms();
        }
        return 0;
    case WM_STORE_CHANGED:
        // Nothing linked: the change is read a second from now, as the every-second tick
        // would have read it.
        if (linked_.Built()) {
            StartLinkedTick(kLinkedProgramsPeriod);
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

    if (shell_.HasSystemMeter()) {
        HideSystemBatteryMeter();
        // All day long, like the linked-program tick: kept by the loop, not by WM_TIMER.
        meterTick_.Start(kHideSystemMeterPeriod, [this] { OnTimer(TIMER_HIDE_SYSTEM_METER); });
    }
    // The reconditioning check looks at the battery a few times early in the session.
    if (!readOnly_) {
        SetTimer(TIMER_BATTERY_LEARNING, kBatteryLearningPeriod);
    }

    acSchemeId_ = static_cast<int>(work.global.PwrSchemeAC);
    batterySchemeId_ = static_cast<int>(work.global.PwrSchemeDC);

    // Console connect and disconnect exist from XP on; Vista and later classify as no XP
    // release but have them too (and fast user switching is common there).
    if (osClass_ == store::kWindowsXp || store::WindowsUsesSchemeInterface()) {
        SessionNotifyLib sessions;
        if (!sessions.Register(Hwnd())) {
            // The tray still runs; it only goes on applying while the console is away.
            framework::Trace("TvPMTray: console connect and disconnect are not reported.\n");
        }
    }
    framework::Trace("TvPMTray: AC %d, battery %d%%, Windows scheme %d%s.\n", acStatus_,
                     batteryPercent_, applier_.WindowsScheme(), readOnly_ ? ", read-only" : "");

    OnSchemeChanged();

    framework::Trace("\nTvPMTray: SpeedStep Support: %d\n", applier_.SpeedStep());
    framework::Trace("\nTvPMTray: SpeedStep Support: %d\n",
                     static_cast<int>(policy_.SpeedStepWord()));
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
    case TimerAction::CheckBatteryLearning: {
        const LearningCheck check = reminder_.Check(readOnly_);
        // Killed before the reminder: the dialog's loop (and the procedure's message box)
        // dispatch this window's timers too, and each tick would open another reminder.
        if (check != LearningCheck::Again) {
            KillTimer(TIMER_BATTERY_LEARNING);
        }
        if (check == LearningCheck::Remind) {
            reminder_.Remind(Hwnd());
        }
        break;
    }
    case TimerAction::SingleClick:
        menus_.OnSingleClickTimer(acStatus_);
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
    ShellWindows::RefreshPowerOptions(
        LoadResourceText(osClass_ == store::kWindowsMe ? IDS_POWER_OPTIONS_ME : IDS_POWER_OPTIONS));
    refreshPending_ = 0;
}

void CMainFrame::HideSystemBatteryMeter() {
    shell_.HideSystemBatteryMeter();
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
    if (osClass_ == store::kWindowsXp || store::WindowsUsesSchemeInterface()) {
        SessionNotifyLib sessions;
        sessions.Unregister(Hwnd());
    }
    tray_.RemoveIcon();
    Destroy();
}

// The events that lead to an apply of the mode in force: a change of the power status, the
// applet's "scheme changed", a mode picked from the menu, a resume, a linked program in front.

void CMainFrame::ReadPowerStatus() {
    acStatus_ = hardware::AcLineStatus();
    batteryPercent_ = hardware::BatteryPercent();
}

int CMainFrame::SchemeInForce() const {
    return tray::SchemeInForce(acStatus_, acSchemeId_, batterySchemeId_);
}

TrayViewState CMainFrame::ViewState() const {
    return {readOnly_, acStatus_, batteryPercent_, SchemeInForce()};
}

void CMainFrame::UpdateView() {
    view_.Show(ViewState());
}

void CMainFrame::OnPowerStatusChange() {
    ReadPowerStatus();
    const PowerDecision decision =
        DecidePowerStatus(readOnly_, acStatus_, store::ColumnForPercent(batteryPercent_),
                          lastAcStatus_, lastBatteryColumn_);
    switch (decision.step) {
    case PowerStep::TooltipAndIcon:
        UpdateView();
        return;
    case PowerStep::TooltipOnly:
        view_.ShowTooltip(ViewState());
        return;
    case PowerStep::Apply:
        framework::Trace("TvPMTray: power status AC %d, battery %d%%: apply.\n", acStatus_,
                         batteryPercent_);
        if (decision.lastAcStatus != lastAcStatus_ && linked_.Built() && !linked_.AnyLinked()) {
            // The stored choice for the new side may have changed while the other side was in
            // force: read a second from now, as the every-second tick would have.
            StartLinkedTick(kLinkedProgramsPeriod);
        }
        lastAcStatus_ = decision.lastAcStatus;
        lastBatteryColumn_ = decision.lastColumn;
        UpdateView();
        ApplyScheme();
        return;
    }
}

void CMainFrame::OnSchemeChanged() {
    framework::Trace("TvPMTray: Receive the scheme change notification.\n");
    if (readOnly_) {
        UpdateView();
        return;
    }
    store::SchemeStore work;
    work.LoadGlobal(HKEY_CURRENT_USER);
    acSchemeId_ = static_cast<int>(work.global.PwrSchemeAC);
    batterySchemeId_ = static_cast<int>(work.global.PwrSchemeDC);
    UpdateView();
    ApplyScheme();
    if (policy_.LinkedProgramWord() != 0) {
        RebuildLinkedSchemes();
    }
}

void CMainFrame::RebuildLinkedSchemes() {
    linkedTick_.Stop();
    linked_.Rebuild(Hwnd());
    StartLinkedTick(kLinkedProgramsPeriod);
}

// The tick that runs all day: the loop's wait ending at its time-out costs one server round
// trip under Wine where WM_TIMER costs three. It goes where a WM_TIMER of that id would, so a
// pending refresh still comes first. With a program linked it looks at the window in front
// every second. With none, only the store and the power source can change what it decides,
// and a change of either brings the next tick forward; the slow tick that is left re-reads the
// store just after its own insurance period has passed.
void CMainFrame::StartLinkedTick(DWORD firstDue) {
    const DWORD period = linked_.AnyLinked() ? kLinkedProgramsPeriod
                                             : StoreWatch::kRecheckPeriod + kLinkedProgramsPeriod;
    linkedTick_.Start(
        period, [this] { OnTimer(TIMER_LINKED_PROGRAMS); }, firstDue);
}

void CMainFrame::CheckLinkedPrograms() {
    const int side = acStatus_;
    const LinkedSwitch change = linked_.Check(side, side == 1 ? acSchemeId_ : batterySchemeId_);
    if (change.needed) {
        framework::Trace("TvPMTray: linked program: scheme %d for %s.\n", change.id,
                         side == 1 ? "AC power" : "battery power");
        SwitchScheme(side, change.id);
    }
}

void CMainFrame::SwitchScheme(int acSide, int id) {
    // The store keeps the user's own choice; the switch lasts while the program is in front.
    if (acSide == 1) {
        acSchemeId_ = id;
    } else {
        batterySchemeId_ = id;
    }
    UpdateView();
    ApplyScheme();
}

void CMainFrame::SelectScheme(int id) {
    store::SchemeStore work;
    work.LoadGlobal(HKEY_CURRENT_USER);
    if (acStatus_ == 1) {
        acSchemeId_ = id;
        work.global.PwrSchemeAC = static_cast<std::uint32_t>(id);
    } else {
        batterySchemeId_ = id;
        work.global.PwrSchemeDC = static_cast<std::uint32_t>(id);
    }
    work.SaveGlobal(HKEY_CURRENT_USER);
    linked_.StoreWritten();
    framework::Trace("TvPMTray: scheme %d selected for %s.\n", id,
                     acStatus_ == 1 ? "AC power" : "battery power");
    UpdateView();
    ApplyScheme();
}

void CMainFrame::OnResume() {
    KillTimer(TIMER_RESUME);
    framework::Trace("TvPMTray: resume.\n");
    keyboardHook_.Stop();
    ::Sleep(kResumeSettle);
    OnPowerStatusChange();
    ::Sleep(kPowerStatusSettle);
    HideSystemBatteryMeter();
    applier_.RestoreAfterResume();
    ApplyScheme();
    keyboardHook_.Start(Hwnd(), WM_HOOK_NOTIFY);
}

void CMainFrame::ApplyScheme() {
    framework::Trace("Set active scheme.\n");
    if (consoleDisconnected_) {
        // The power library is loaded and let go as at every apply, and nothing is written.
        const store::PowerApi bridge;
        framework::Trace("TvPMTray: console disconnected, nothing applied.\n");
        return;
    }
    applier_.Apply(SchemeInForce(), [this](bool show) {
        if (show) {
            tray_.AddIcon();
        } else {
            tray_.RemoveIcon();
        }
    });
}

// The menus' commands.

bool CMainFrame::OnCommand(UINT id, UINT, HWND control) {
    if (control != nullptr) {
        return false;
    }
    if (id == ID_ADJUST_PROPERTIES) {
        IconMenus::OpenApplet();
        return true;
    }
    if (const std::optional<int> scheme = SchemeIdForCommand(id)) {
        SelectScheme(*scheme);
        return true;
    }
    // The About command goes on to the application.
    return false;
}

void CMainFrame::OnUpdateCommand(framework::CommandState& state) {
    if (state.Id() == ID_ADJUST_PROPERTIES) {
        state.Enable(AdjustPropertiesLook(readOnly_).enabled);
        return;
    }
    if (SchemeIdForCommand(state.Id())) {
        const CommandLook look = SchemeCommandLook(state.Id(), SchemeInForce(), readOnly_);
        state.Enable(look.enabled);
        state.SetCheck(look.checked);
    }
}

} // namespace tray
