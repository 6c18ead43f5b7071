// An owned menu, and the two steps every pop-up of ours takes: ask the owner window for the
// state of each command (Window::OnUpdateCommand) before the menu shows, and the foreground rule
// that lets a notification-area menu close when the user clicks elsewhere.
#pragma once

#include <windows.h>

#include "framework/UniqueHandle.h"

namespace framework {

class Window;

class Menu {
public:
    Menu() = default;
    explicit Menu(HMENU owned) : menu_(owned) {}

    // From this module's resources; empty when there is no such menu.
    static Menu Load(UINT id);
    static Menu CreatePopup();

    HMENU Get() const { return menu_.Get(); }
    explicit operator bool() const { return static_cast<bool>(menu_); }
    // A pop-up inside the menu; it stays owned by the menu.
    HMENU SubMenu(int position) const;

    bool Append(UINT id, const char* text);
    bool Append(UINT id, const wchar_t* text);
    bool AppendSeparator();

    // Every command item of `menu` gets the state the owner gives it (the application is
    // asked for what the main window leaves open). A window does it on WM_INITMENUPOPUP, which
    // every pop-up, a nested one too, sends as it opens: each item is asked once per showing.
    static void UpdateStates(HMENU menu, Window& owner);

    // Shows `popup` at `at` (screen coordinates) for `owner`, whose WM_INITMENUPOPUP sets the
    // states, and returns what TrackPopupMenu returns (with TPM_RETURNCMD: the chosen command,
    // 0 for none).
    static UINT Track(HMENU popup, Window& owner, POINT at, UINT flags = TPM_RIGHTBUTTON);

private:
    UniqueMenu menu_;
};

} // namespace framework
