// Helper of the session-end tests, run in their fresh prefix:
//   SessionEndProbe --watch LOG   a top-level window that logs the end-session messages it gets
//   SessionEndProbe --exit FLAGS  ExitWindowsEx(FLAGS) with the shutdown privilege enabled
//   SessionEndProbe --mark FILE   writes FILE (run from RunOnce by a restart)
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::wstring g_log;

void Log(const char* text) {
    FILE* file = _wfopen(g_log.c_str(), L"a");
    if (file != nullptr) {
        std::fprintf(file, "%s\n", text);
        std::fclose(file);
    }
}

LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        Log("WM_QUERYENDSESSION");
        return TRUE;
    }
    if (message == WM_ENDSESSION) {
        Log(wParam ? "WM_ENDSESSION TRUE" : "WM_ENDSESSION FALSE");
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int Watch() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WatchProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SessionEndWatch";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowW(wc.lpszClassName, L"watch", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    Log(window != nullptr ? "ready" : "no window");
    // Ends by itself after a while if nobody ends the session.
    ::SetTimer(window, 1, 30000, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER) {
        ::DispatchMessageW(&msg);
    }
    Log("left on its own");
    return 0;
}

int Exit(UINT flags) {
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token) ||
        !::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid) ||
        !::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)) {
        return 2;
    }
    ::CloseHandle(token);
    return ::ExitWindowsEx(flags, 0) ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        return 3;
    }
    const std::wstring mode = argv[1];
    g_log = argv[2];
    if (mode == L"--watch") {
        return Watch();
    }
    if (mode == L"--exit") {
        return Exit(static_cast<UINT>(std::wcstoul(argv[2], nullptr, 0)));
    }
    if (mode == L"--mark") {
        Log("marked");
        return 0;
    }
    return 3;
}
