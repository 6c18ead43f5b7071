// The installer library: one export, "Initial", called by the tray program and the applet.
#include <windows.h>

#include "Installer.h"
#include "MessageBoxes.h"

namespace {

HINSTANCE g_module = nullptr;
// The last notebook policy the library loaded; it outlives the calls.
hardware::NotebookPolicy g_policy;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        ::DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

extern "C" int Initial() {
    installer::Installer installer(g_module, g_policy, hardware::ShowMessageBox);
    return installer.Initial();
}
