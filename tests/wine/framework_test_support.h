// Shared pieces of the framework's Wine tests: plain window classes and a bounded message pump.
#pragma once

#include <windows.h>

#include "framework/Window.h"

namespace fwtest {

inline constexpr char kNarrowClass[] = "FrameworkTestNarrow";
inline constexpr wchar_t kWideClass[] = L"FrameworkTestWide";

// Plain classes whose procedure is DefWindowProc, as the programs register theirs.
inline void RegisterTestClasses() {
    WNDCLASSEXA narrow{};
    narrow.cbSize = sizeof narrow;
    if (!::GetClassInfoExA(::GetModuleHandleA(nullptr), kNarrowClass, &narrow)) {
        narrow.cbSize = sizeof narrow;
        narrow.lpfnWndProc = ::DefWindowProcA;
        narrow.hInstance = ::GetModuleHandleA(nullptr);
        narrow.lpszClassName = kNarrowClass;
        ::RegisterClassExA(&narrow);
    }
    WNDCLASSEXW wide{};
    wide.cbSize = sizeof wide;
    if (!::GetClassInfoExW(::GetModuleHandleW(nullptr), kWideClass, &wide)) {
        wide.cbSize = sizeof wide;
        wide.lpfnWndProc = ::DefWindowProcW;
        wide.hInstance = ::GetModuleHandleW(nullptr);
        wide.lpszClassName = kWideClass;
        ::RegisterClassExW(&wide);
    }
}

// Dispatches this thread's messages until `done` holds or `milliseconds` pass.
template <typename Done>
bool PumpUntil(Done done, DWORD milliseconds = 3000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > milliseconds) {
            return false;
        }
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!framework::Window::RoutePreTranslate(message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

inline void PumpFor(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    PumpUntil([&] { return ::GetTickCount() - start > milliseconds; }, milliseconds + 1000);
}

} // namespace fwtest
