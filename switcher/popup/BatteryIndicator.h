// The popup's battery side: the indicator (a frame of the battery strip with the charge or the
// time left under it), the embedded controller's start notice, and the health check whose
// warnings the notification icon carries.
#pragma once

#include <windows.h>

#include "switcher/battery/BatteryHealth.h"
#include "switcher/controls/CImage.h"
#include "switcher/controls/GdiplusHandles.h"
#include "switcher/controls/SkinSet.h"
#include "switcher/logic/BatteryStatusLogic.h"
#include "switcher/popup/NotifyIcon.h"

namespace switcher {

class BatteryIndicator {
public:
    // `portax` (loaded) and `icon` outlive the indicator. The power status is read now: the
    // indicator's first time estimate comes from it.
    BatteryIndicator(PortaxLibrary& portax, NotifyIcon& icon);

    BatteryIndicator(const BatteryIndicator&) = delete;
    BatteryIndicator& operator=(const BatteryIndicator&) = delete;

    // Whether the skin has the battery strip, by its header alone.
    static bool HasStrip(const SkinArchive& skins);
    // Decodes the battery strip at the set's DPI; false when it has no width.
    bool LoadStrip(const SkinSet& skins);
    void ReleaseStrip() { strip_.Reset(); }
    // Takes the popup's indicator item over, showing the strip's start frame, in its font at
    // the DPI of `scale`.
    void Create(HWND popup, const SkinScale& scale);
    // After LoadStrip of another DPI: the frame shown now from the new strip, the font at `scale`.
    void Rescale(const SkinScale& scale);

    // The controller notice of the start and of a resume from suspend.
    void StartController() { health_.Start(); }
    // The battery key: the next check that finds a worn or damaged battery warns at once.
    void ForceNextWarning() { health_.ForceNextWarning(); }

    // PBT_APMPOWERSTATUSCHANGE: the health check, its warning and the charge.
    void CheckHealth();
    // PBT_POWERSETTINGCHANGE, with the notification's data.
    void OnSettingChange(LPARAM data);
    // Each tick of the shown popup.
    void OnTimer();

private:
    UniqueGpBitmap Frame(int index) const;
    void SetScale(const SkinScale& scale);
    void Show(const IndicatorUpdate& update, const wchar_t* tag);
    // The notification icon and balloon a health check asks for.
    void ApplyTray(const HealthResult& result);

    NotifyIcon& icon_;
    CImage indicator_;
    BatteryStatusCache status_;
    BatteryHealth health_;
    static constexpr char kStripName[] = "bt.png";
    UniqueGpBitmap strip_;
    int frame_ = kStartFrame;
};

} // namespace switcher
