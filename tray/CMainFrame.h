// The tray program's hidden frame window (class "TvPMClass"). It owns everything that runs
// after start-up: the tray icon, the timers, the answers to the messages other programs send,
// and the apply of the mode in force to Windows and to the notebook's hardware.
//
// The class is spread over several sources by concern: CMainFrame.cpp (creation, messages,
// timers, exit), CMainFrameApply.cpp (power status, scheme changes, apply, resume),
// CMainFrameLinked.cpp (programs linked to a mode), CMainFrameIcon.cpp (tooltip, icon, mouse,
// menus) and CMainFrameReminder.cpp (battery reconditioning reminder).
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "CDebugLog.h"
#include "CSystemTray.h"
#include "Firmware.h"
#include "KeyboardHookLib.h"
#include "NotebookPolicy.h"
#include "PowerApi.h"
#include "SchemeStore.h"
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

private:
    // CMainFrame.cpp
    LRESULT OnCreate();
    LRESULT OnPowerBroadcast(WPARAM event);
    void OnSessionChange(WPARAM event);
    void OnRefreshRequest(WPARAM request);
    void OnTimerTick(UINT_PTR id);
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    void OnClose();
    void OrderlyExit();
    void HideSystemBatteryMeter();
    void RefreshPowerOptions();

    // CMainFrameApply.cpp
    void ReadPowerStatus();
    void OnPowerStatusChange();
    void OnSchemeChanged();
    void SelectScheme(int id);
    void OnResume();
    void ApplyScheme();
    void ApplyGlobalSideEffects(const store::GlobalPowerSettings& global, store::PowerApi& api);
    void ApplyModeHardware(const store::SchemeStore& work, int column, store::PowerApi& api);
    void RebuildLinkedSchemes();
    int SchemeInForce() const;

    // CMainFrameLinked.cpp
    void CheckLinkedPrograms();
    void SwitchScheme(int acSide, int id);

    // CMainFrameIcon.cpp
    void UpdateTooltip();
    void UpdateIcon();
    void OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
    void OnSingleClickTimer();
    void ShowSchemeMenu();
    void ShowCommandMenu();
    void OpenApplet();

    // CMainFrameReminder.cpp
    void CheckBatteryLearning();
    void RunReminder();

    // Held first and let go last, so that every line of the frame's life reaches the log.
    CDebugLog::Holder log_;
    CSystemTray tray_;
    int lastAcStatus_ = -1;
    int acSchemeId_ = 0;
    int batterySchemeId_ = 0;
    UINT_PTR refreshTimer_ = 0;
    int lastBatteryColumn_ = -1;
    int windowsSchemeId_ = -1;
    WPARAM refreshPending_ = 0;
    bool readOnly_ = false;
    int speedStep_ = 0;
    hardware::FirmwarePort firmware_;
    std::vector<std::unique_ptr<store::SchemeStore>> linkedSchemes_;
    int learningCount_ = 0;
    UINT_PTR learningTimer_ = 0;
    UINT_PTR linkedTimer_ = 0;
    bool consoleDisconnected_ = false;
    bool doubleClickSeen_ = false;
    int acStatus_ = -1;
    int batteryPercent_ = -1;
    int osClass_ = -1;
    const hardware::NotebookPolicy& policy_;
    KeyboardHookLib& keyboardHook_;
};

} // namespace tray
