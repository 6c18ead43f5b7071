#include "switcher/popup/BatteryIndicator.h"

#include "framework/Module.h"
#include "switcher/DebugTrace.h"
#include "switcher/battery/BatteryPlatform.h"
#include "switcher/logic/PopupLayout.h"

namespace switcher {

BatteryIndicator::BatteryIndicator(PortaxLibrary& portax, NotifyIcon& icon)
    : icon_(icon), status_(ReadPowerStatus()), health_(portax, &DebugTrace) {}

bool BatteryIndicator::HasStrip(const SkinArchive& skins) {
    return SkinImageSize(skins, SkinSetPath(kBaseDpi, kStripName)).has_value();
}

bool BatteryIndicator::LoadStrip(const SkinSet& skins) {
    UniqueGpBitmap strip = skins.Load(kStripName);
    if (ImageWidth(strip.Get()) == 0) {
        return false; // the strip it had, if any, stays
    }
    strip_ = std::move(strip);
    return true;
}

UniqueGpBitmap BatteryIndicator::Frame(int index) const {
    const INT width = static_cast<INT>(ImageWidth(strip_.Get())) / kBatteryFrameCount;
    const INT height = static_cast<INT>(ImageHeight(strip_.Get()));
    return UniqueGpBitmap(CutImageFrame(strip_.Get(), index * width, width, height));
}

void BatteryIndicator::Create(HWND popup, const SkinScale& scale) {
    if (!indicator_.Init(Frame(kStartFrame), popup)) {
        DebugTrace(true, L"CUIDlg::OnInitDialog", L"The battery indicator cannot be made.\n");
    }
    SetScale(scale);
}

void BatteryIndicator::Rescale(const SkinScale& scale) {
    indicator_.SetBase(Frame(kStartFrame));
    if (indicator_.HasPicture()) {
        indicator_.SetPicture(Frame(frame_), false);
    }
    SetScale(scale);
}

void BatteryIndicator::SetScale(const SkinScale& scale) {
    // In pixels at the popup's DPI: a DC's own DPI may be the system's, not the popup's.
    UniqueGpFont font = MakeFont(L"Segoe UI", scale.FontPixels(kIndicatorFontPoints),
                                 Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    UniqueGpStringFormat format = MakeStringFormat();
    gdip::GdipSetStringFormatAlign(format.Get(), Gdiplus::StringAlignmentCenter);
    gdip::GdipSetStringFormatLineAlign(format.Get(), Gdiplus::StringAlignmentNear);
    indicator_.SetTextStyle(font.Get(), format.Get(), ScaledRect(scale, kIndicatorTextPlace));
}

void BatteryIndicator::Show(const IndicatorUpdate& update, const wchar_t* tag) {
    for (const std::wstring& line : update.traces) {
        DebugTrace(true, tag, L"%s", line.c_str());
    }
    if (update.frame && *update.frame >= 0 && *update.frame < kBatteryFrameCount) {
        frame_ = *update.frame;
        indicator_.SetPicture(Frame(frame_), !update.text.has_value());
    }
    if (update.text) {
        indicator_.SetText(update.text->c_str());
    }
}

void BatteryIndicator::OnSettingChange(LPARAM data) {
    const IndicatorUpdate update =
        status_.OnPowerSettingChange(ReadPowerStatus(), IsBatteryPercentageNotification(data),
                                     LoadBatteryTexts(framework::ModuleInstance()));
    Show(update, L"CUIDlg::OnPower");
}

void BatteryIndicator::OnTimer() {
    const IndicatorUpdate update =
        status_.OnPopupTimer(ReadPowerStatus(), LoadBatteryTexts(framework::ModuleInstance()));
    Show(update, L"CUIDlg::OnTimer");
}

void BatteryIndicator::ApplyTray(const HealthResult& result) {
    switch (result.tray) {
    case HealthResult::Tray::Remove:
        icon_.SetTrayIcon(0, false);
        break;
    case HealthResult::Tray::ShowWarning:
        // A removal that finds no icon is routine; a warning that does not reach the
        // notification area is worth a line, as nothing else would show it.
        if (result.warning) {
            if (!icon_.SetTrayIcon(result.warning->trayIcon, true)) {
                DebugTrace(true, L"CUIDlg::OnPower", L"The warning icon cannot be shown.\n");
            } else if (!icon_.ShowTrayBalloon(result.warning->title.c_str(),
                                              result.warning->text.c_str())) {
                DebugTrace(true, L"CUIDlg::OnPower", L"The warning balloon cannot be shown.\n");
            }
        }
        break;
    case HealthResult::Tray::Unchanged:
        break;
    }
}

void BatteryIndicator::CheckHealth() {
    SYSTEM_POWER_STATUS status{};
    if (!::GetSystemPowerStatus(&status)) {
        return;
    }
    const HealthResult result =
        health_.Check(status, LoadBatteryTexts(framework::ModuleInstance()),
                      [this](const HealthResult& found) { ApplyTray(found); });
    indicator_.SetText(result.indicatorText.c_str());
}

} // namespace switcher
