#include "framework/Menu.h"

#include "framework/Application.h"
#include "framework/CommandState.h"
#include "framework/Module.h"
#include "framework/Trace.h"
#include "framework/Window.h"

namespace framework {

namespace {

void AskOwner(Window& owner, CommandState& state) {
    owner.OnUpdateCommand(state);
    Application* app = Application::Current();
    if (!state.Enabled() && !state.Checked() && app != nullptr && app->MainWindow() == &owner) {
        app->OnUpdateCommand(state);
    }
}

} // namespace

Menu Menu::Load(UINT id) {
    Menu menu(::LoadMenuW(ModuleInstance(), MAKEINTRESOURCEW(id)));
    if (!menu) {
        Trace("framework: LoadMenu %u failed, error %lu\n", id, ::GetLastError());
    }
    return menu;
}

Menu Menu::CreatePopup() {
    return Menu(::CreatePopupMenu());
}

HMENU Menu::SubMenu(int position) const {
    return ::GetSubMenu(menu_.Get(), position);
}

bool Menu::Append(UINT id, const char* text) {
    return ::AppendMenuA(menu_.Get(), MF_STRING, id, text) != FALSE;
}

bool Menu::Append(UINT id, const wchar_t* text) {
    return ::AppendMenuW(menu_.Get(), MF_STRING, id, text) != FALSE;
}

bool Menu::AppendSeparator() {
    return ::AppendMenuW(menu_.Get(), MF_SEPARATOR, 0, nullptr) != FALSE;
}

void Menu::UpdateStates(HMENU menu, Window& owner) {
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) ||
            info.hSubMenu != nullptr || (info.fType & MFT_SEPARATOR) != 0) {
            continue;
        }
        CommandState state(info.wID);
        AskOwner(owner, state);
        const UINT byPosition = MF_BYPOSITION;
        if (const auto enabled = state.Enabled()) {
            ::EnableMenuItem(menu, static_cast<UINT>(position),
                             byPosition | (*enabled ? MF_ENABLED : MF_GRAYED));
        }
        if (const auto checked = state.Checked()) {
            ::CheckMenuItem(menu, static_cast<UINT>(position),
                            byPosition | (*checked ? MF_CHECKED : MF_UNCHECKED));
        }
    }
}

UINT Menu::Track(HMENU popup, Window& owner, POINT at, UINT flags) {
    // The owner's window, not the object, is used after the menu: a command may destroy both.
    const HWND hwnd = owner.Hwnd();
    if (popup == nullptr || hwnd == nullptr) {
        return 0;
    }
    // The states come with WM_INITMENUPOPUP, which the owner gets before the pop-up shows.
    // A pop-up closes on a click outside it only when its owner is the foreground window, which
    // a program that lives in the notification area is not until we make it so.
    ::SetForegroundWindow(hwnd);
    const BOOL result = ::TrackPopupMenu(popup, flags, at.x, at.y, 0, hwnd, nullptr);
    // A message to the owner after the menu, or the next pop-up from the notification area shows
    // and closes at once.
    ::PostMessageW(hwnd, WM_NULL, 0, 0);
    return static_cast<UINT>(result);
}

} // namespace framework
