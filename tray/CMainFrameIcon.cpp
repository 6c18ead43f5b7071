// What the tray icon's clicks do: a single click shows the schemes for the power source, a
// double click opens the applet, a right click the command menu.
#include <vector>

#include "CMainFrame.h"
#include "PowerApi.h"
#include "ResourceText.h"
#include "framework/Trace.h"
#include "framework/CommandState.h"
#include "framework/Menu.h"
#include "logic/SchemeMenu.h"
#include "logic/TrayIds.h"
#include "resource.h"

static_assert(ID_ADJUST_PROPERTIES_CMD == tray::ID_ADJUST_PROPERTIES);
static_assert(ID_APP_ABOUT_CMD == tray::ID_APP_ABOUT);

namespace tray {

namespace {

constexpr char kAppletCommand[] = "control.exe Vumo.cpl";

} // namespace

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
        SetTimer(TIMER_SINGLE_CLICK, ::GetDoubleClickTime());
        break;
    case WM_RBUTTONUP:
        ShowCommandMenu();
        break;
    default:
        break;
    }
}

void CMainFrame::OnSingleClickTimer() {
    KillTimer(TIMER_SINGLE_CLICK);
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
