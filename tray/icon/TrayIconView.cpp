#include "tray/icon/TrayIconView.h"

#include "tray/ResourceText.h"
#include "SchemeStore.h"
#include "framework/IconLoad.h"
#include "framework/WindowText.h"
#include "tray/logic/IconReference.h"
#include "tray/logic/Tooltip.h"
#include "tray/resource.h"

namespace tray {

namespace {

// Cannot be an icon reference, which holds a comma.
constexpr char kReadOnlyPicture[] = "<read-only>";

// The mode's picture at the notification area's size (the small icon metric, which grows with
// the DPI): the file's own image of that size rather than its large one shrunk by the shell;
// nothing when the reference names no file or the file has no such icon.
framework::UniqueIcon ExtractModeIcon(const char* reference) {
    const IconReference parsed = ParseIconReference(reference);
    return framework::ExtractIconAtSize(parsed.file, parsed.index, framework::SmallIconSize());
}

} // namespace

TrayIconView::TrayIconView(CSystemTray& tray)
    : tray_(tray), onAc_(LoadResourceText(IDS_ON_AC_POWER)),
      onBattery_(LoadResourceText(IDS_ON_BATTERY_POWER)),
      modeFormat_(LoadResourceText(IDS_TIP_MODE)),
      readOnlyFormat_(LoadResourceText(IDS_TIP_READ_ONLY)) {}

void TrayIconView::Forget() {
    tipKnown_ = false;
    pictureKnown_ = false;
}

void TrayIconView::SetTooltip(const TrayViewState& state, const char* modeName) {
    TooltipParts parts;
    parts.readOnly = state.readOnly;
    parts.acStatus = state.acStatus;
    parts.percent = state.batteryPercent;
    parts.onAcWord = onAc_;
    parts.onBatteryWord = onBattery_;
    parts.modeFormat = modeFormat_;
    parts.readOnlyFormat = readOnlyFormat_;
    parts.modeName = modeName;
    parts.isLeadByte = framework::IsAnsiLeadByte;
    std::string tip = BuildTooltip(parts);
    if (tipKnown_ && tip == tip_) {
        return;
    }
    tipKnown_ = tray_.SetTooltipText(tip.c_str());
    tip_ = std::move(tip);
}

void TrayIconView::ShowTooltip(const TrayViewState& state) {
    store::SchemeStore work;
    if (!state.readOnly) {
        work.LoadScheme(HKEY_CURRENT_USER, state.scheme);
    }
    SetTooltip(state, work.mode.NamePolicy);
}

void TrayIconView::Show(const TrayViewState& state) {
    store::SchemeStore work;
    if (!state.readOnly) {
        work.LoadScheme(HKEY_CURRENT_USER, state.scheme);
    }
    SetTooltip(state, work.mode.NamePolicy);

    const std::string picture = state.readOnly ? kReadOnlyPicture : work.mode.ICON;
    if (pictureKnown_ && picture == picture_) {
        return;
    }
    framework::UniqueIcon icon;
    if (state.readOnly) {
        icon = CSystemTray::LoadIconResource(IDI_READ_ONLY);
    } else {
        icon = ExtractModeIcon(work.mode.ICON);
        if (!icon) {
            icon = CSystemTray::LoadIconResource(IDR_MAINFRAME);
        }
    }
    pictureKnown_ = tray_.SetIcon(std::move(icon));
    picture_ = picture;
}

} // namespace tray
