// traystandin: a minimal window of the tray's class that the harness and the keyboard-hook
// library are checked against without the tray program itself. It adds a notification-area
// icon with the tip given on the command line, starts the notebook's keyboard hook on its
// window, and prints every message it is asked about to its standard output:
//
//   hook <wParam> <lParam>   the keyboard hook posted its message
//   scheme-changed           WM_SCHEME_CHANGED arrived
//
// WM_TRAY_EXIT stops the hook, removes the icon and ends it; message 0x8090 shows a topmost
// message box (caption "Stand-in", the tip as text) so that box reading can be checked.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "DriverSupport.h"
#include "emulator/vodoveriz/VodovEriz.h"

namespace {

constexpr UINT kHookNotify = 0x8032;
constexpr UINT kShowBox = 0x8090;
constexpr UINT kIconId = 128;

struct StandIn {
    HMODULE hookLibrary = nullptr;
    notebook::KeyboardHookStartFn start = nullptr;
    notebook::KeyboardHookStopFn stop = nullptr;
    NOTIFYICONDATAA icon{};
    const char* tip = "";
};

StandIn g_standIn;

void Print(const char* format, unsigned long a = 0, unsigned long b = 0) {
    std::printf(format, a, b);
    std::fflush(stdout);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kHookNotify:
        Print("hook 0x%lX 0x%lX\n", static_cast<unsigned long>(wParam),
              static_cast<unsigned long>(lParam));
        return 0;
    case drivers::kSchemeChanged:
        Print("scheme-changed\n");
        return 0;
    case kShowBox:
        ::MessageBoxA(window, g_standIn.tip, "Stand-in", MB_OK | MB_ICONHAND | MB_TOPMOST);
        return 0;
    case drivers::kTrayExit:
        if (g_standIn.stop != nullptr) {
            g_standIn.stop();
        }
        ::Shell_NotifyIconA(NIM_DELETE, &g_standIn.icon);
        ::DestroyWindow(window);
        return 0;
    default:
        return drivers::DefaultWindowProc(window, message, wParam, lParam);
    }
}

} // namespace

int main(int argc, char** argv) {
    g_standIn.tip = argc > 1 ? argv[1] : "Stand-in";
    HWND window = drivers::MakeWindow(drivers::kTrayClass, "Stand-in", WindowProc, {0, 0, 100, 100});
    if (window == nullptr) {
        return 1;
    }

    // The first-generation record, as the tray program uses it: 88 bytes on x86, a 64-byte tip.
    g_standIn.icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    g_standIn.icon.hWnd = window;
    g_standIn.icon.uID = kIconId;
    g_standIn.icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_standIn.icon.uCallbackMessage = drivers::kTrayNotify;
    g_standIn.icon.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    lstrcpynA(g_standIn.icon.szTip, g_standIn.tip, 64);
    Print("icon %lu\n", ::Shell_NotifyIconA(NIM_ADD, &g_standIn.icon) ? 1 : 0);

    g_standIn.hookLibrary = ::LoadLibraryA("VodovEriz.dll");
    if (g_standIn.hookLibrary != nullptr) {
        g_standIn.start =
            reinterpret_cast<notebook::KeyboardHookStartFn>(reinterpret_cast<void (*)()>(
                ::GetProcAddress(g_standIn.hookLibrary, "KeyboardHook_Start")));
        g_standIn.stop =
            reinterpret_cast<notebook::KeyboardHookStopFn>(reinterpret_cast<void (*)()>(
                ::GetProcAddress(g_standIn.hookLibrary, "KeyboardHook_Stop")));
    }
    const int hooked = g_standIn.start != nullptr ? g_standIn.start(window, kHookNotify) : 0;
    Print("hooked %lu\n", static_cast<unsigned long>(hooked));

    drivers::RunMessageLoop();
    if (g_standIn.hookLibrary != nullptr) {
        ::FreeLibrary(g_standIn.hookLibrary);
    }
    return 0;
}
