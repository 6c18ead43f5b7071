// The tray program's hidden frame window (class "TvPMClass"). It routes the messages other
// programs, the shell and the system send to the pieces the tray is made of: applying a mode
// (SchemeApplier), the programs linked to a mode (LinkedPrograms), the battery reconditioning
// reminder (BatteryReminder), what the icon shows (TrayIconView), the icon's clicks and menus
// (IconMenus) and the other programs' windows it pokes (ShellWindows); it keeps the state they
// share (power source, charge, the modes in force) and decides when a mode is applied.
#pragma once

#include <windows.h>

#include "tray/reminder/BatteryReminder.h"
#include "tray/icon/IconMenus.h"
#include "tray/CDebugLog.h"
#include "tray/icon/CSystemTray.h"
#include "Firmware.h"
#include "tray/libraries/KeyboardHookLib.h"
#include "tray/linked/LinkedPrograms.h"
#include "NotebookPolicy.h"
#include "tray/scheme/SchemeApplier.h"
#include "tray/icon/ShellWindows.h"
#include "tray/icon/TrayIconView.h"
#include "framework/PeriodicTimer.h"
#include "framework/Window.h"

namespace tray {

class CMainFrame : public framework::Window {
public:
    // The policy record and the hook library outlive the frame (the application owns them).
    CMainFrame(const hardware::NotebookPolicy& policy, KeyboardHookLib& keyboardHook);
    ~CMainFrame() override;

    // The window of the registered class "TvPMClass"; false when creation was refused (for
    // instance because the tray icon could not be added).
    bool CreateFrame(const char* title);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnUpdateCommand(framework::CommandState& state) override;
    void OnTimer(UINT_PTR id) override;

private:
    LRESULT OnCreate();
    LRESULT OnPowerBroadcast(WPARAM event);
    void OnSessionChange(WPARAM event);
    void OnRefreshRequest(WPARAM request);
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    void OnClose();
    void OrderlyExit();
    void HideSystemBatteryMeter();
    void RefreshPowerOptions();

    void ReadPowerStatus();
    void OnPowerStatusChange();
    void OnSchemeChanged();
    void SelectScheme(int id);
    void OnResume();
    void ApplyScheme();
    void RebuildLinkedSchemes();
    void StartLinkedTick(DWORD firstDue);
    void CheckLinkedPrograms();
    void SwitchScheme(int acSide, int id);
    int SchemeInForce() const;
    TrayViewState ViewState() const;
    void UpdateView();

    // Held first and let go last, so that every line of the frame's life reaches the log.
    CDebugLog::Holder log_;
    const hardware::NotebookPolicy& policy_;
    KeyboardHookLib& keyboardHook_;
    const int osClass_;
    hardware::FirmwarePort firmware_;
    CSystemTray tray_;
    TrayIconView view_;
    SchemeApplier applier_;
    BatteryReminder reminder_;
    LinkedPrograms linked_;
    IconMenus menus_;
    ShellWindows shell_;
    // The two timers that run all day (TIMER_LINKED_PROGRAMS, TIMER_HIDE_SYSTEM_METER).
    framework::PeriodicTimer linkedTick_;
    framework::PeriodicTimer meterTick_;

    int acStatus_ = -1;
    int batteryPercent_ = -1;
    int lastAcStatus_ = -1;
    int lastBatteryColumn_ = -1;
    int acSchemeId_ = 0;
    int batterySchemeId_ = 0;
    WPARAM refreshPending_ = 0;
    bool readOnly_ = false;
    bool consoleDisconnected_ = false;
};

} // namespace tray
