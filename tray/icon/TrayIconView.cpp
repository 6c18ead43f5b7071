#include "tray/icon/TrayIconView.h"

#include "tray/ResourceText.h"
#include "SchemeStore.h"
#include "framework/Module.h"
#include "framework/WindowText.h"
#include "tray/logic/IconReference.h"
#include "tray/logic/Tooltip.h"
#include "tray/resource.h"

namespace tray {

namespace {

// Cannot be an icon reference, which holds a comma.
constexpr char kReadOnlyPicture[] = "<read-only>";

// The mode's picture: the 16-pixel image of the icon library where it has one, else its
// large image; nothing when the reference names no file or the file has no such icon.
framework::UniqueIcon ExtractModeIcon(const char* reference) {
    const IconReference parsed = ParseIconReference(reference);
    if (parsed.file.empty()) {
        return {};
    }
    HICON small = nullptr;
    if (::ExtractIconExA(parsed.file.c_str(), parsed.index, nullptr, &small, 1) > 0 &&
        small != nullptr) {
        return framework::UniqueIcon(small);
    }
    const HICON large = ::ExtractIconA(framework::ModuleInstance(), parsed.file.c_str(),
                                       static_cast<UINT>(parsed.index));
    // 1 is the answer for a file that is not an icon source: not a handle.
    if (large == nullptr || large == reinterpret_cast<HICON>(1)) {
        return {};
    }
    return framework::UniqueIcon(large);
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
