// linkedapp: a program that shows one window and takes the foreground, as a program linked to
// a power save mode would when the user starts it.
//
//   linkedapp [TITLE [SECONDS]]
//
// It ends after SECONDS (default 60) or when its window is closed.
#include <windows.h>

#include <cstdlib>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kLifetimeTimer) {
            ::DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const char* title = __argc > 1 ? __argv[1] : "Linked program";
    const int seconds = __argc > 2 ? std::atoi(__argv[2]) : 60;

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "LinkedProgramWindow";
    if (!::RegisterClassA(&windowClass)) {
        return 1;
    }
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW, 100,
                                    100, 320, 200, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ::ShowWindow(window, SW_SHOWNORMAL);
    // A program the user just started owns the foreground; the request is granted because
    // this process was started by the one in the foreground, or nothing holds it.
    ::SetForegroundWindow(window);
    ::SetTimer(window, kLifetimeTimer, seconds > 0 ? seconds * 1000u : 60000u, nullptr);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}
