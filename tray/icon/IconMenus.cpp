#include "tray/icon/IconMenus.h"

#include <vector>

#include "PowerApi.h"
#include "SchemeStore.h"
#include "framework/Menu.h"
#include "framework/Trace.h"
#include "tray/logic/SchemeMenu.h"
#include "tray/logic/TrayIds.h"
#include "tray/resource.h"

namespace tray {

namespace {

constexpr char kAppletCommand[] = "control.exe Vumo.cpl";

// Where the click was: the cursor, or where the message that led here was sent from when the
// cursor cannot be read (a locked desktop), rather than the screen's corner.
POINT MenuPosition() {
    POINT at{};
    if (!::GetCursorPos(&at)) {
        const DWORD sent = ::GetMessagePos();
        at = {static_cast<short>(LOWORD(sent)), static_cast<short>(HIWORD(sent))};
    }
    return at;
}

} // namespace

void IconMenus::OnNotify(WPARAM iconId, LPARAM mouseMessage) {
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
        frame_.SetTimer(TIMER_SINGLE_CLICK, ::GetDoubleClickTime());
        break;
    case WM_RBUTTONUP:
        ShowCommandMenu();
        break;
    default:
        break;
    }
}

void IconMenus::OnSingleClickTimer(int acStatus) {
    frame_.KillTimer(TIMER_SINGLE_CLICK);
    if (!doubleClickSeen_) {
        ShowSchemeMenu(acStatus);
    }
    doubleClickSeen_ = false;
}

void IconMenus::ShowSchemeMenu(int acStatus) {
    store::PowerApi api;
    if (!api.CanUserWritePwrScheme()) {
        return;
    }
    const POINT at = MenuPosition();

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
    for (const SchemeMenuItem& item : SchemeMenuItems(schemes, acStatus)) {
        if (!menu.Append(item.command, item.text.c_str())) {
            framework::Trace("TvPMTray: scheme %u left out of the menu, error %lu.\n",
                             item.command - ID_SCHEME_FIRST, ::GetLastError());
        }
    }
    framework::Menu::Track(menu.Get(), frame_, at, TPM_RIGHTBUTTON);
}

void IconMenus::ShowCommandMenu() {
    const framework::Menu menu = framework::Menu::Load(IDR_MAINFRAME);
    const HMENU popup = menu.SubMenu(0);
    if (popup == nullptr) {
        return;
    }
    framework::Menu::Track(popup, frame_, MenuPosition(), TPM_RIGHTBUTTON);
}

void IconMenus::OpenApplet() {
    const UINT result = ::WinExec(kAppletCommand, SW_SHOWNORMAL);
    framework::Trace("TvPMTray: %s: %u.\n", kAppletCommand, result);
}

} // namespace tray
