// The popup of the switcher: a borderless, skinned, layered dialog that stays hidden until the
// profile key shows it, and answers a second copy's close request. It routes its messages to
// the pieces it is made of: the profile key and the popup's timer (ProfileKey), the scheme and
// action lists (SchemeLists), the battery indicator and health warnings (BatteryIndicator) and
// the notification-area icon that carries them (NotifyIcon).
#pragma once

#include <windows.h>

#include <array>

#include "framework/Dialog.h"
#include "framework/UniqueHandle.h"
#include "switcher/battery/PortaxLibrary.h"
#include "switcher/controls/SkinArchive.h"
#include "switcher/controls/SkinSet.h"
#include "switcher/logic/PopupRules.h"
#include "switcher/popup/BatteryIndicator.h"
#include "switcher/popup/NotifyIcon.h"
#include "switcher/popup/ProfileKey.h"
#include "switcher/popup/SchemeLists.h"

namespace switcher {

// A registration of RegisterPowerSettingNotification.
using UniquePowerNotify = framework::UniqueHandle<
    framework::NullHandleTraits<HPOWERNOTIFY, ::UnregisterPowerSettingNotification>>;

class CUIDlg : public framework::Dialog {
public:
    // `skins` and `portax` (loaded) outlive the dialog. `debug` makes F12 act as the profile key.
    CUIDlg(const SkinArchive& skins, PortaxLibrary& portax, bool debug);

    // Checks the headers of the popup's images and creates the hidden, modeless popup from
    // template 110 without a parent; the images are decoded by the first step of the start.
    // False (and nothing kept) when an image is missing or the window cannot be made.
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
    // The start's second half, all of what is left of it; false when the skin's images do not
    // decode.
    bool FinishStart();
    // One step of it, and the next posted: the loop runs them one at a time, so the program
    // answers between them.
    void ContinueStart();
    void RunStartStep();
    // Traces `why` and ends the program before the popup was ever shown.
    void FailStart(const wchar_t* why);
    bool Started() const { return startStep_ == kStartDone; }
    // The background and the battery strip decoded from the set of `dpi`, which becomes the
    // popup's; false (and nothing changed) when one does not decode.
    bool LoadImagesAt(int dpi);
    void TraceDpi(const wchar_t* tag) const;
    // WM_DPICHANGED: the images, size, places and fonts of the new DPI.
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void PlaceControls();
    void RegisterPowerNotifications();
    void OnDestroy();
    void OnDragStart();
    void PaintBackground(HDC dc, bool keyColourOnly);
    // The composed background copied to `dc`; false when there is none (then it is drawn).
    bool CopyBackdrop(HDC dc) const;
    LRESULT OnCloseRequest();
    // The OK command (Enter, or a click on a row): the highlighted scheme becomes the active
    // one, or the highlighted action runs.
    void ActivateSelection();
    LRESULT OnPower(WPARAM event, LPARAM data);
    void OnHookKey(HookKey key);
    void ShowPopup();
    void ForceForeground();

    const SkinArchive& skins_;
    // The skin's images at the popup's DPI, read when the start decodes them.
    SkinSet skinSet_;
    NotifyIcon notifyIcon_;
    BatteryIndicator battery_;
    SchemeLists lists_;
    ProfileKey key_;
    std::array<UniquePowerNotify, 3> notifications_;
    bool closePending_ = false;
    // The steps of the start's second half, in order.
    enum StartStep { kDecode, kLists, kControls, kSchemes, kBattery, kStartDone };
    int startStep_ = kDecode;
    bool inStartStep_ = false;
    // The skin's images did not decode: the program is ending.
    bool broken_ = false;
    UniqueGpBitmap background_;
    // background_ over the key colour, drawn once for every paint of the popup.
    framework::UniqueBitmap backdrop_;
};

} // namespace switcher
