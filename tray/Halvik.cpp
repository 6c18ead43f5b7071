// Entry point of the tray program.
#include <windows.h>

#include "tray/CTrayApp.h"
#include "tray/libraries/KeyboardHookLib.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The hot-key library is loaded before the application starts and freed after it ends.
    tray::KeyboardHookLib keyboardHook;
    tray::CTrayApp app(keyboardHook);
    return app.Execute();
}
