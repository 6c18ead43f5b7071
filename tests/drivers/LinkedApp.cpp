// linkedapp: a program that shows one window and takes the foreground, as a program linked to
// a power save mode would when the user starts it.
//
//   linkedapp [TITLE [SECONDS [LIBRARY DELAY]]]
//
// It ends after SECONDS (default 60) or when its window is closed. With LIBRARY it loads that
// library DELAY seconds after it started, as a program loads a plug-in late.
#include <windows.h>

#include <cstdlib>

#include "DriverSupport.h"

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT_PTR kLateLibraryTimer = 2;

const char* g_lateLibrary = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kLifetimeTimer) {
            ::DestroyWindow(window);
        } else if (wParam == kLateLibraryTimer) {
            ::KillTimer(window, kLateLibraryTimer);
            // Kept loaded for the rest of the program's life.
            ::LoadLibraryA(g_lateLibrary);
        }
        return 0;
    default:
        return drivers::DefaultWindowProc(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* title = __argc > 1 ? __argv[1] : "Linked program";
    const int seconds = __argc > 2 ? std::atoi(__argv[2]) : 60;

    HWND window = drivers::MakeWindow("LinkedProgramWindow", title, WindowProc, {100, 100, 420, 300});
    if (window == nullptr) {
        return 1;
    }
    ::ShowWindow(window, SW_SHOWNORMAL);
    // A program the user just started owns the foreground; the request is granted because
    // this process was started by the one in the foreground, or nothing holds it.
    ::SetForegroundWindow(window);
    ::SetTimer(window, kLifetimeTimer, seconds > 0 ? seconds * 1000u : 60000u, nullptr);
    if (__argc > 4) {
        g_lateLibrary = __argv[3];
        ::SetTimer(window, kLateLibraryTimer, static_cast<UINT>(std::atoi(__argv[4])) * 1000u,
                   nullptr);
    }
    drivers::RunMessageLoop();
    return 0;
}
