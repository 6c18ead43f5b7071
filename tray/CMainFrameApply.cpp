// The apply of the mode in force, and the events that lead to it: a change of the power
// status, the applet's "scheme changed", a scheme picked from the menu, a resume.
#include "CBrightnessLevel.h"
#include "CMainFrame.h"
#include "PolicyApply.h"
#include "PolicyRules.h"
#include "PowerStatus.h"
#include "TimeoutTables.h"
#include "framework/Trace.h"
#include "VersionClass.h"
#include "logic/PowerDecision.h"
#include "logic/SchemeMenu.h"
#include "logic/TrayIds.h"

namespace tray {

namespace {

constexpr DWORD kResumeSettle = 2000;
constexpr DWORD kPowerStatusSettle = 200;

} // namespace

void CMainFrame::ReadPowerStatus() {
    acStatus_ = hardware::AcLineStatus();
    batteryPercent_ = hardware::BatteryPercent();
}

int CMainFrame::SchemeInForce() const {
    return tray::SchemeInForce(acStatus_, acSchemeId_, batterySchemeId_);
}

void CMainFrame::OnPowerStatusChange() {
    ReadPowerStatus();
    const PowerDecision decision =
        DecidePowerStatus(readOnly_, acStatus_, store::ColumnForPercent(batteryPercent_),
                          lastAcStatus_, lastBatteryColumn_);
    UpdateTooltip();
    switch (decision.step) {
    case PowerStep::TooltipAndIcon:
        UpdateIcon();
        return;
    case PowerStep::TooltipOnly:
        return;
    case PowerStep::Apply:
        framework::Trace("TvPMTray: power status AC %d, battery %d%%: apply.\n", acStatus_,
                     batteryPercent_);
        lastAcStatus_ = decision.lastAcStatus;
        lastBatteryColumn_ = decision.lastColumn;
        UpdateIcon();
        ApplyScheme();
        return;
    }
}

void CMainFrame::OnSchemeChanged() {
    framework::Trace("TvPMTray: Receive the scheme change notification.\n");
    if (readOnly_) {
        UpdateTooltip();
        UpdateIcon();
        return;
    }
    store::SchemeStore work;
    work.LoadGlobal(HKEY_CURRENT_USER);
    acSchemeId_ = static_cast<int>(work.global.PwrSchemeAC);
    batterySchemeId_ = static_cast<int>(work.global.PwrSchemeDC);
    UpdateTooltip();
    UpdateIcon();
    ApplyScheme();
    if (policy_.LinkedProgramWord() != 0) {
        RebuildLinkedSchemes();
    }
}

void CMainFrame::RebuildLinkedSchemes() {
    ::KillTimer(Hwnd(), TIMER_LINKED_PROGRAMS);
    linkedTimer_ = 0;
    linkedSchemes_.clear();
    store::SchemeStore reader;
    // Every mode up to LastID that exists, beyond the ids the menu can carry: a linked program
    // switches in whatever its mode's id.
    for (const int id : reader.StoredModeIds(HKEY_CURRENT_USER, reader.ReadLastId())) {
        auto scheme = std::make_unique<store::SchemeStore>();
        if (scheme->LoadScheme(HKEY_CURRENT_USER, id)) {
            linkedSchemes_.push_back(std::move(scheme));
        }
    }
    linkedTimer_ = ::SetTimer(Hwnd(), TIMER_LINKED_PROGRAMS, kLinkedProgramsPeriod, nullptr);
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
    framework::Trace("TvPMTray: scheme %d selected for %s.\n", id,
                 acStatus_ == 1 ? "AC power" : "battery power");
    UpdateTooltip();
    UpdateIcon();
    ApplyScheme();
}

void CMainFrame::OnResume() {
    ::KillTimer(Hwnd(), TIMER_RESUME);
    framework::Trace("TvPMTray: resume.\n");
    keyboardHook_.Stop();
    ::Sleep(kResumeSettle);
    OnPowerStatusChange();
    ::Sleep(kPowerStatusSettle);
    HideSystemBatteryMeter();

    // The embedded controller may have lost the fan mode and the lid bit while asleep.
    store::SchemeStore work;
    work.LoadGlobal(HKEY_CURRENT_USER);
    hardware::ApplyCoolingMethod(policy_, work.global.CoolingMethod, firmware_);
    hardware::SetAutoResume(policy_, work.global.AutoResume != 0, firmware_);

    ApplyScheme();
    keyboardHook_.Start(Hwnd(), WM_HOOK_NOTIFY);
}

void CMainFrame::ApplyScheme() {
    framework::Trace("Set active scheme.\n");
    store::PowerApi api;
    if (consoleDisconnected_) {
        framework::Trace("TvPMTray: console disconnected, nothing applied.\n");
        return;
    }
    store::SchemeStore work;
    work.LoadGlobal(HKEY_CURRENT_USER);
    const int scheme = SchemeInForce();
    if (!work.LoadScheme(HKEY_CURRENT_USER, scheme)) {
        framework::Trace("TvPMTray: scheme %d cannot be read; its cleared values are applied.\n",
                     scheme);
    }

    store::ApplyGlobalSettings(work.global, osClass_,
                               [&] { ApplyGlobalSideEffects(work.global, api); });
    framework::Trace("Set power policy.\n");

    // A battery mode with no battery reading is applied as column 0 (see ApplyMode).
    const int column = work.mode.ACPlug_IN == 1 ? 0 : store::BatteryColumn();
    framework::Trace("TvPMTray: apply scheme %d column %d to Windows scheme %d.\n", scheme,
                 store::ValidColumn(column), windowsSchemeId_);
    store::ApplyMode(work.mode, column, windowsSchemeId_,
                     [&](int used) { ApplyModeHardware(work, used, api); });

    // Windows reloads the policies just written only when the scheme is activated.
    api.SetActivePwrScheme(static_cast<UINT>(windowsSchemeId_), nullptr, nullptr);
}

void CMainFrame::ApplyGlobalSideEffects(const store::GlobalPowerSettings& global,
                                        store::PowerApi& api) {
    if (global.SysTrayBatteryMeterEnable == 1) {
        tray_.AddIcon();
    } else {
        tray_.RemoveIcon();
    }
    hardware::ApplyCoolingMethod(policy_, global.CoolingMethod, firmware_);
    store::ReserveHibernationFile(api, global.HibernateEnable);
    hardware::SetAutoResume(policy_, global.AutoResume != 0, firmware_);
    hardware::SetHibernateBit(policy_, global.HibernateEnable != 0, firmware_);
}

void CMainFrame::ApplyModeHardware(const store::SchemeStore& work, int column,
                                   store::PowerApi& api) {
    framework::Trace("TvPMTray: Set brightness level.\n");
    hardware::CBrightnessLevel(firmware_).SetBrightnessLevel(work.mode.Brightnes[column]);
    if (policy_.ProcessorWord() == 0 || work.global.CoolingMethod == hardware::kCoolingSilent) {
        return;
    }
    hardware::ProcessorSpeedRequest request;
    request.duty = work.mode.CPU_Duty[column];
    request.coolingMethod = work.global.CoolingMethod;
    request.enhancedSpeedStep = speedStep_ != 0;
    request.windowsXp = osClass_ == store::kWindowsXp;
    hardware::ApplyProcessorSpeed(
        policy_, request,
        [&](std::uint32_t throttle) {
            store::WriteProcessorPolicy(api, windowsSchemeId_, static_cast<BYTE>(throttle));
        },
        firmware_);
}

} // namespace tray
