// What the tray icon's clicks do: a single click shows the modes for the power source, a
// double click opens the applet, a right click the command menu. The menus' commands come
// back to the frame as WM_COMMAND.
#pragma once

#include <windows.h>

#include "framework/Window.h"

namespace tray {

class IconMenus {
public:
    // The frame owns the menus' commands and the single-click timer.
    explicit IconMenus(framework::Window& frame) : frame_(frame) {}

    // A mouse message of the icon `iconId`.
    void OnNotify(WPARAM iconId, LPARAM mouseMessage);
    // The single-click timer ran out: the modes of power source `acStatus`, unless a double
    // click came meanwhile.
    void OnSingleClickTimer(int acStatus);

    static void OpenApplet();

private:
    void ShowSchemeMenu(int acStatus);
    void ShowCommandMenu();

    framework::Window& frame_;
    bool doubleClickSeen_ = false;
};

} // namespace tray
