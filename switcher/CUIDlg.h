// The popup of the switcher: a borderless, skinned, layered dialog that stays hidden until the
// profile key shows it. It lists the system's power schemes and the power actions, shows the
// battery indicator, owns the notification-area icon of the battery warnings and answers a
// second copy's close request. The low-level keyboard hook that shows it lives here too.
//
// Split over a few files: CUIDlg.cpp (creation, painting, messages), CUIDlgKeys.cpp (hook,
// timers, navigation), CUIDlgSchemes.cpp (the two lists), CUIDlgBattery.cpp (indicator, health
// check and tray icon).
#pragma once

#include <windows.h>

#include <array>
#include <vector>

#include "framework/Dialog.h"
#include "framework/UniqueHandle.h"
#include "switcher/battery/BatteryHealth.h"
#include "switcher/controls/CAdvListCtrl.h"
#include "switcher/controls/CImage.h"
#include "switcher/controls/CTPButton.h"
#include "switcher/controls/SkinArchive.h"
#include "switcher/logic/BatteryStatusLogic.h"
#include "switcher/logic/PopupRules.h"
#include "switcher/logic/PowerActions.h"

namespace switcher {

class CUIDlg : public framework::Dialog {
public:
    // `skins` and `portax` (loaded) outlive the dialog. `debug` makes F12 act as the profile key.
    CUIDlg(const SkinArchive& skins, PortaxLibrary& portax, bool debug);
    ~CUIDlg() override;

    // Decodes the background and the battery strip and creates the hidden, modeless popup from
    // template 110 without a parent. False (and nothing kept) when an image or the window
    // cannot be made.
    bool CreatePopup();

    bool IsShown() const { return Hwnd() != nullptr && ::IsWindowVisible(Hwnd()) != FALSE; }

    // Every message of the loop passes here: any but a timer tick is activity that keeps the
    // popup up, and the arrow keys move the highlight across the lists.
    bool PreTranslateMessage(MSG& message) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Creation and window messages (CUIDlg.cpp).
    void FinishStart();
    void InitControls();
    void SetTextStyles();
    void RegisterPowerNotifications();
    void OnDestroy();
    void OnDragStart();
    void PaintBackground(HDC dc, bool keyColourOnly);
    LRESULT OnCloseRequest();
    LRESULT OnPower(WPARAM event, LPARAM data);

    // Keyboard hook, timers and keyboard navigation (CUIDlgKeys.cpp).
    static LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
    void OnHookKey(const KBDLLHOOKSTRUCT& key);
    void ShowPopup();
    bool InstallHook();
    void ReHook();
    void ForceForeground();
    void StartTimer(UINT_PTR id, UINT milliseconds);
    void StopTimer();
    bool Navigate(UINT virtualKey);

    // The two lists (CUIDlgSchemes.cpp).
    void EnumerateSchemes(std::vector<GUID>& schemes) const;
    void RefreshSchemeList();
    void BuildActionList();
    void ActivateSelection();
    void UpdateScrollButtons();
    void ScrollSchemes(bool up);
    void OnListClicked(CAdvListCtrl& list);

    // Battery indicator, health check and notification area (CUIDlgBattery.cpp).
    void UpdateBatteryIndicator(const IndicatorUpdate& update, const wchar_t* tag);
    void OnBatterySettingChange(LPARAM data);
    void OnBatteryTimer();
    void CheckBatteryHealth();
    void SendEcStartCommand();
    void LoadTrayIcons();
    void UpdateTrayForHealth(const HealthResult& result);
    bool SetTrayIcon(int index, bool add);
    bool ShowTrayBalloon(const wchar_t* title, const wchar_t* text);
    LRESULT OnTrayNotify(LPARAM event);
    int CurrentTrayIndex() const;

    const SkinArchive& skins_;
    const bool debug_;

    CurrentList currentList_;
    CImage indicator_;
    CAdvListCtrl schemeList_;
    CAdvListCtrl actionList_;
    CTPButton scrollUp_;
    CTPButton scrollDown_;

    std::vector<GUID> schemes_;
    std::vector<PowerAction> actionCodes_;
    std::array<framework::UniqueIcon, 3> trayIcons_;
    framework::UniqueIcon appIcon_;
    HICON currentTrayIcon_ = nullptr;
    framework::UniqueHook hook_;
    std::array<HPOWERNOTIFY, 3> notifications_{};
    UINT_PTR timer_ = 0;
    PopupIdle idle_;
    bool closePending_ = false;
    bool started_ = false;
    BatteryStatusView batteryStatus_;
    BatteryHealth health_;
    UniqueGpBitmap background_;
    UniqueGpBitmap batteryStrip_;

    // The dialog the keyboard hook reports to; the hook procedure gets no context of its own.
    static CUIDlg* hookOwner_;
};

} // namespace switcher
