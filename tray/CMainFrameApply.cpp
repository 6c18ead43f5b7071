// The events that lead to an apply of the mode in force: a change of the power status, the
// applet's "scheme changed", a scheme picked from the menu, a resume, a linked program in front.
#include "CMainFrame.h"
#include "PowerStatus.h"
#include "TimeoutTables.h"
#include "framework/Trace.h"
#include "logic/PowerDecision.h"
#include "logic/SchemeMenu.h"
#include "logic/TrayIds.h"

namespace tray {

namespace {

constexpr DWORD kResumeSettle = 2000;

} // namespace

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

void CMainFrame::UpdateView() { view_.Show(ViewState()); }

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
    linked_.Rebuild(Hwnd(), WM_FOREGROUND_CHANGED);
    // The tick that runs all day: a kernel timer the loop waits on costs less than WM_TIMER.
    // It goes where a WM_TIMER of that id would, so a pending refresh still comes first.
    linkedTick_.Start(kLinkedProgramsPeriod, [this] { OnTimer(TIMER_LINKED_PROGRAMS); });
}

void CMainFrame::CheckLinkedPrograms() {
    const int side = acStatus_;
    const LinkedSwitch change =
        linked_.Check(side, side == 1 ? acSchemeId_ : batterySchemeId_);
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

} // namespace tray
