// What the tray icon shows (tooltip and picture), and what its clicks do: a single click
// shows the schemes for the power source, a double click opens the applet, a right click the
// command menu.
#include <vector>

#include "CMainFrame.h"
#include "PowerApi.h"
#include "ResourceText.h"
#include "framework/Trace.h"
#include "framework/CommandState.h"
#include "framework/Menu.h"
#include "framework/Module.h"
#include "logic/IconReference.h"
#include "logic/SchemeMenu.h"
#include "logic/Tooltip.h"
#include "logic/TrayIds.h"
#include "resource.h"

static_assert(ID_ADJUST_PROPERTIES_CMD == tray::ID_ADJUST_PROPERTIES);
static_assert(ID_APP_ABOUT_CMD == tray::ID_APP_ABOUT);

namespace tray {

namespace {

constexpr char kAppletCommand[] = "control.exe Vumo.cpl";

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

void CMainFrame::UpdateTooltip() {
    const std::string onAc = LoadResourceText(IDS_ON_AC_POWER);
    const std::string onBattery = LoadResourceText(IDS_ON_BATTERY_POWER);
    const std::string modeFormat = LoadResourceText(IDS_TIP_MODE);
    const std::string readOnlyFormat = LoadResourceText(IDS_TIP_READ_ONLY);
    store::SchemeStore work;
    if (!readOnly_) {
        work.LoadScheme(HKEY_CURRENT_USER, SchemeInForce());
    }
    TooltipParts parts;
    parts.readOnly = readOnly_;
    parts.acStatus = acStatus_;
    parts.percent = batteryPercent_;
    parts.onAcWord = onAc;
    parts.onBatteryWord = onBattery;
    parts.modeFormat = modeFormat;
    parts.readOnlyFormat = readOnlyFormat;
    parts.modeName = work.mode.NamePolicy;
    tray_.SetTooltipText(BuildTooltip(parts).c_str());
}

void CMainFrame::UpdateIcon() {
    if (readOnly_) {
        tray_.SetIcon(IDI_READ_ONLY);
        return;
    }
    store::SchemeStore work;
    work.LoadScheme(HKEY_CURRENT_USER, SchemeInForce());
    framework::UniqueIcon icon = ExtractModeIcon(work.mode.ICON);
    if (!icon) {
        icon = CSystemTray::LoadIconResource(IDR_MAINFRAME);
    }
    tray_.SetIcon(std::move(icon));
}

void CMainFrame::OnTrayNotify(WPARAM iconId, LPARAM mouseMessage) {
    if (iconId != kTrayIconId) {
        return;
    }
    switch (LOWORD(mouseMessage)) {
    case WM_LBUTTONDBLCLK:
        OpenApplet();
        doubleClickSeen_ = true;
        break;
    case WM_LBUTTONDOWN:
        // The scheme menu waits until a double click can no longer follow.
        ::SetTimer(Hwnd(), TIMER_SINGLE_CLICK, ::GetDoubleClickTime(), nullptr);
        break;
    case WM_RBUTTONUP:
        ShowCommandMenu();
        break;
    default:
        break;
    }
}

void CMainFrame::OnSingleClickTimer() {
    ::KillTimer(Hwnd(), TIMER_SINGLE_CLICK);
    if (!doubleClickSeen_) {
        ShowSchemeMenu();
    }
    doubleClickSeen_ = false;
}

void CMainFrame::ShowSchemeMenu() {
    store::PowerApi api;
    if (!api.CanUserWritePwrScheme()) {
        return;
    }
    POINT at{};
    ::GetCursorPos(&at);

    std::vector<SchemeEntry> schemes;
    store::SchemeStore work;
    const int last = LastSchemeIdToRead(work.ReadLastId());
    for (int id = 0; id <= last; ++id) {
        if (work.LoadScheme(HKEY_CURRENT_USER, id)) {
            schemes.push_back({id, work.mode.ACPlug_IN, work.mode.NamePolicy});
        }
    }
    framework::Menu menu = framework::Menu::CreatePopup();
    if (!menu) {
        return;
    }
    for (const SchemeMenuItem& item : SchemeMenuItems(schemes, acStatus_)) {
        menu.Append(item.command, item.text.c_str());
    }
    framework::Menu::Track(menu.Get(), *this, at, TPM_RIGHTBUTTON);
}

void CMainFrame::ShowCommandMenu() {
    const framework::Menu menu = framework::Menu::Load(IDR_MAINFRAME);
    const HMENU popup = menu.SubMenu(0);
    if (popup == nullptr) {
        return;
    }
    POINT at{};
    ::GetCursorPos(&at);
    framework::Menu::Track(popup, *this, at, TPM_RIGHTBUTTON);
}

void CMainFrame::OpenApplet() {
    const UINT result = ::WinExec(kAppletCommand, SW_SHOWNORMAL);
    framework::Trace("TvPMTray: %s: %u.\n", kAppletCommand, result);
}

bool CMainFrame::OnCommand(UINT id, UINT, HWND control) {
    if (control != nullptr) {
        return false;
    }
    if (id == ID_ADJUST_PROPERTIES) {
        OpenApplet();
        return true;
    }
    if (const std::optional<int> scheme = SchemeIdForCommand(id)) {
        SelectScheme(*scheme);
        return true;
    }
    // The About command goes on to the application.
    return false;
}

void CMainFrame::OnUpdateCommand(framework::CommandState& state) {
    if (state.Id() == ID_ADJUST_PROPERTIES) {
        state.Enable(AdjustPropertiesLook(readOnly_).enabled);
        return;
    }
    if (SchemeIdForCommand(state.Id())) {
        const CommandLook look = SchemeCommandLook(state.Id(), SchemeInForce(), readOnly_);
        state.Enable(look.enabled);
        state.SetCheck(look.checked);
    }
}

} // namespace tray
