// pivorabaseline: the yardstick of the switcher's start-up time. It does what any GDI+ program
// must before it can show anything (GDI+ started, one hidden window of its own class) and
// nothing else; it ends on WM_CLOSE.
//
//   pivorabaseline          the yardstick, window class "Pivora Baseline"
//   pivorabaseline keeper   the same under the class "Pivora Baseline Keeper", kept running
//                           through a measurement so that Wine's desktop stays up between
//                           starts, and neither program measured pays for starting it
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace {

LRESULT CALLBACK BaselineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const wchar_t* const className = commandLine != nullptr && lstrcmpiA(commandLine, "keeper") == 0
                                         ? L"Pivora Baseline Keeper"
                                         : L"Pivora Baseline";
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        return 1;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &BaselineProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    ::RegisterClassExW(&windowClass);
    ::CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                      instance, nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::DispatchMessageW(&message);
    }
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
