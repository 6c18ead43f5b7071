// pivoradriver: looks at and pokes the running switcher for its end-to-end test.
//
//   pivoradriver state                       "window PID VISIBLE X Y W H" or "none"
//   pivoradriver wait-window SECONDS         until the popup's window exists: "window PID"
//   pivoradriver wait-gone SECONDS           until it is gone
//   pivoradriver wait-visible 0|1 SECONDS    until it is hidden or shown: elapsed ms
//   pivoradriver power EVENT                 sends WM_POWERBROADCAST(EVENT, 0), as the system
//   pivoradriver tray-icon                   "icon 1" when the switcher's notification icon is
//                                            there, "icon 0" when not
//   pivoradriver active-scheme               the active power scheme's name
//   pivoradriver make-scheme GUID NAME       a copy of Balanced under GUID, named NAME, as the
//                                            suite's installer makes its scheme
//   pivoradriver input-method                "ime 1" when the popup's thread has an input
//                                            method window, "ime 0" when not
//   pivoradriver close-class CLASS           posts WM_CLOSE to the window of CLASS
//   pivoradriver launch-time CLASS MESSAGE SECONDS PROGRAM [ARGS]
//                                            starts PROGRAM and prints the microseconds until a
//                                            window of CLASS exists and answers a message (the
//                                            program is ready), then sends that window
//                                            MESSAGE (one that ends the program) and waits for
//                                            the program to end
//   pivoradriver launch-full CLASS MESSAGE SECONDS PROGRAM [ARGS]
//                                            the same until the window answers a power
//                                            broadcast that asks for nothing: the switcher
//                                            answers one only once every step of its start ran
//   pivoradriver early-close SECONDS PROGRAM [ARGS]
//                                            starts the switcher and sends it the close request
//                                            the moment its window exists, before the loop ran
//                                            any step of the start; waits for it to end
//   pivoradriver key-time CLASS MESSAGE SECONDS PROGRAM [ARGS]
//                                            starts PROGRAM, waits as launch-full does,
//                                            prints "ready" and watches the keyboard: prints
//                                            the microseconds from the next F12 until that
//                                            window is shown and painted, then sends it
//                                            MESSAGE and IDCANCEL and waits for it to end
//
// Exit status 0 on success, 1 when a wait ran out, 2 for a bad command line.

// The switcher's scheme functions are Vista's; the suite's tree builds for XP by default.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0601
#define _WIN32_WINNT 0x0601
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <powrprof.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

const wchar_t kPopupClass[] = L"The Dialog of Pivora";
constexpr UINT kTrayIconId = 110;

HWND Popup() {
    return ::FindWindowW(kPopupClass, nullptr);
}

double Seconds(const wchar_t* text) {
    return text != nullptr ? std::wcstod(text, nullptr) : 10.0;
}

template <typename Done>
bool WaitUntil(double seconds, Done done, DWORD pollMs = 20) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000.0);
    while (!done()) {
        if (::GetTickCount64() >= end) {
            return false;
        }
        ::Sleep(pollMs);
    }
    return true;
}

int State() {
    HWND popup = Popup();
    if (popup == nullptr) {
        std::printf("none\n");
        return 0;
    }
    DWORD pid = 0;
    ::GetWindowThreadProcessId(popup, &pid);
    RECT rect{};
    ::GetWindowRect(popup, &rect);
    std::printf("window %lu %d %ld %ld %ld %ld\n", pid, ::IsWindowVisible(popup) ? 1 : 0, rect.left,
                rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
}

int TrayIcon() {
    // Modifying nothing succeeds exactly when the icon is there.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = Popup();
    data.uID = kTrayIconId;
    const bool present = data.hWnd != nullptr && ::Shell_NotifyIconW(NIM_MODIFY, &data);
    std::printf("icon %d\n", present ? 1 : 0);
    return 0;
}

int ActiveScheme() {
    GUID* active = nullptr;
    if (::PowerGetActiveScheme(nullptr, &active) != ERROR_SUCCESS || active == nullptr) {
        std::printf("none\n");
        return 1;
    }
    wchar_t name[1024] = L"";
    DWORD size = sizeof(name);
    ::PowerReadFriendlyName(nullptr, active, nullptr, nullptr, reinterpret_cast<UCHAR*>(name),
                            &size);
    ::LocalFree(active);
    std::printf("%ls\n", name);
    return 0;
}

int MakeScheme(const wchar_t* guidText, const wchar_t* name) {
    static const GUID balanced = {
        0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};
    GUID guid{};
    if (::CLSIDFromString(const_cast<wchar_t*>(guidText), &guid) != NOERROR) {
        return 2;
    }
    GUID* target = &guid;
    const DWORD made = ::PowerDuplicateScheme(nullptr, &balanced, &target);
    const DWORD named = made == ERROR_SUCCESS
                            ? ::PowerWriteFriendlyName(
                                  nullptr, &guid, nullptr, nullptr,
                                  reinterpret_cast<UCHAR*>(const_cast<wchar_t*>(name)),
                                  static_cast<DWORD>((std::wcslen(name) + 1) * sizeof(wchar_t)))
                            : made;
    std::printf("%lu %lu\n", static_cast<unsigned long>(made), static_cast<unsigned long>(named));
    return named == ERROR_SUCCESS ? 0 : 1;
}

BOOL CALLBACK NoteInputMethodWindow(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    *reinterpret_cast<bool*>(found) |= std::wcscmp(name, L"IME") == 0;
    return TRUE;
}

// Whether the popup's thread has the window of class "IME" that an input method makes for it.
int InputMethod() {
    const DWORD thread = ::GetWindowThreadProcessId(Popup(), nullptr);
    if (thread == 0) {
        return 1;
    }
    bool found = false;
    ::EnumThreadWindows(thread, &NoteInputMethodWindow, reinterpret_cast<LPARAM>(&found));
    std::printf("ime %d\n", found ? 1 : 0);
    return 0;
}

// PBT_APMOEMEVENT: an event the switcher does nothing for but finish its start.
constexpr WPARAM kIgnoredPowerEvent = 0x000B;
constexpr UINT kCloseRequest = 0x0464;

long long Now() {
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

long long Microseconds(long long from, long long to) {
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    return (to - from) * 1000000 / frequency.QuadPart;
}

// A program started from the arguments at `first`; ended (or, after 20 s, killed) with it.
class Launched {
public:
    Launched(int argc, wchar_t** argv, int first) {
        std::wstring command;
        // Quotes only where a word has a blank: the switcher takes its words as they stand.
        for (int i = first; i < argc; ++i) {
            const std::wstring word = argv[i];
            command += i > first ? L" " : L"";
            command += word.find(L' ') != std::wstring::npos ? L"\"" + word + L"\"" : word;
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        started_ = Now();
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_)) {
            std::printf("cannot start, error %lu\n", ::GetLastError());
            process_ = {};
            return;
        }
        ::CloseHandle(process_.hThread);
    }
    ~Launched() {
        if (process_.hProcess == nullptr) {
            return;
        }
        // The program shares this one's output: this one may end only after it.
        if (::WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process_.hProcess, 1);
        }
        ::CloseHandle(process_.hProcess);
    }
    Launched(const Launched&) = delete;
    Launched& operator=(const Launched&) = delete;

    bool Running() const { return process_.hProcess != nullptr; }
    long long Started() const { return started_; }

private:
    PROCESS_INFORMATION process_{};
    long long started_ = 0;
};

// Until a window of `windowClass` answers `probe`, polled finely (every 2 ms): a start takes
// some 50 ms. A window that answers a message has finished its initialisation and runs its
// message loop.
HWND WaitAnswer(const wchar_t* windowClass, UINT probe, WPARAM wParam, double seconds) {
    HWND window = nullptr;
    const bool found = WaitUntil(
        seconds,
        [&] {
            window = ::FindWindowW(windowClass, nullptr);
            DWORD_PTR result = 0;
            return window != nullptr && ::SendMessageTimeoutW(window, probe, wParam, 0,
                                                              SMTO_ABORTIFHUNG, 5000, &result) != 0;
        },
        2);
    return found ? window : nullptr;
}

int LaunchTime(int argc, wchar_t** argv, UINT probe, WPARAM wParam) {
    if (argc < 6) {
        return 2;
    }
    const wchar_t* windowClass = argv[2];
    const UINT closeMessage = std::wcstoul(argv[3], nullptr, 0);
    Launched program(argc, argv, 5);
    if (!program.Running()) {
        return 1;
    }
    const HWND window = WaitAnswer(windowClass, probe, wParam, Seconds(argv[4]));
    const long long ready = Now();
    if (window == nullptr) {
        std::printf("timeout\n");
        return 1;
    }
    ::PostMessageW(window, closeMessage, 0, 0);
    std::printf("%lld\n", Microseconds(program.Started(), ready));
    return 0;
}

int EarlyClose(int argc, wchar_t** argv) {
    if (argc < 4) {
        return 2;
    }
    Launched program(argc, argv, 3);
    if (!program.Running()) {
        return 1;
    }
    // No pause between the looks: the request must come while the popup is being made, so
    // that the popup serves it at its loop's first look, ahead of its posted start steps.
    HWND window = nullptr;
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(Seconds(argv[2]) * 1000.0);
    while ((window = Popup()) == nullptr && ::GetTickCount64() < end) {
        ::Sleep(0);
    }
    DWORD_PTR result = 0;
    if (window == nullptr ||
        ::SendMessageTimeoutW(window, kCloseRequest, 0, 0, SMTO_ABORTIFHUNG, 10000, &result) == 0) {
        std::printf("no window\n");
        return 1;
    }
    return 0;
}

long long g_keySeen = 0;

LRESULT CALLBACK WatchKeys(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && g_keySeen == 0 && wParam == WM_KEYDOWN &&
        reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode == VK_F12) {
        g_keySeen = Now();
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Painted(HWND window) {
    return ::IsWindowVisible(window) && !::GetUpdateRect(window, nullptr, FALSE);
}

int KeyTime(int argc, wchar_t** argv) {
    if (argc < 6) {
        return 2;
    }
    const wchar_t* windowClass = argv[2];
    const UINT closeMessage = std::wcstoul(argv[3], nullptr, 0);
    const double seconds = Seconds(argv[4]);
    Launched program(argc, argv, 5);
    if (!program.Running()) {
        return 1;
    }
    // The first key once the program runs: its start is through (the switcher answers this
    // broadcast only then), so the figure is the key's own path.
    const HWND window = WaitAnswer(windowClass, WM_POWERBROADCAST, kIgnoredPowerEvent, seconds);
    if (window == nullptr) {
        std::printf("timeout\n");
        return 1;
    }
    // Installed after the program's own hook, this one sees the key first.
    HHOOK hook = ::SetWindowsHookExW(WH_KEYBOARD_LL, &WatchKeys, ::GetModuleHandleW(nullptr), 0);
    if (hook == nullptr) {
        std::printf("no hook, error %lu\n", ::GetLastError());
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    // The hook is called from this thread's loop.
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000.0);
    MSG message;
    while (g_keySeen == 0 && ::GetTickCount64() < end) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageW(&message);
        }
    }
    ::UnhookWindowsHookEx(hook);
    long long painted = 0;
    if (g_keySeen != 0 && WaitUntil(
                              seconds, [window] { return Painted(window); }, 1)) {
        painted = Now();
    }
    ::PostMessageW(window, closeMessage, 0, 0);
    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    if (painted == 0) {
        std::printf(g_keySeen == 0 ? "timeout, no key\n" : "timeout, shown %d, not painted\n",
                    ::IsWindowVisible(window) ? 1 : 0);
        return 1;
    }
    std::printf("%lld\n", Microseconds(g_keySeen, painted));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return 2;
    }
    const std::wstring command = argv[1];
    if (command == L"state") {
        return State();
    }
    if (command == L"wait-window" || command == L"wait-gone") {
        const bool gone = command == L"wait-gone";
        const bool ok = WaitUntil(Seconds(argc > 2 ? argv[2] : nullptr),
                                  [gone] { return (Popup() == nullptr) == gone; });
        return ok ? State() : 1;
    }
    if (command == L"wait-visible" && argc > 2) {
        const bool wanted = std::wcstol(argv[2], nullptr, 10) != 0;
        const ULONGLONG start = ::GetTickCount64();
        const bool ok = WaitUntil(Seconds(argc > 3 ? argv[3] : nullptr), [wanted] {
            HWND popup = Popup();
            return popup != nullptr && (::IsWindowVisible(popup) != FALSE) == wanted;
        });
        std::printf("%llu\n", ::GetTickCount64() - start);
        return ok ? 0 : 1;
    }
    if (command == L"power" && argc > 2) {
        DWORD_PTR result = 0;
        const WPARAM event = std::wcstoul(argv[2], nullptr, 0);
        return ::SendMessageTimeoutW(Popup(), WM_POWERBROADCAST, event, 0, SMTO_ABORTIFHUNG, 10000,
                                     &result) != 0
                   ? 0
                   : 1;
    }
    if (command == L"dpi-changed" && argc > 2) {
        // Without the suggested rectangle: a pointer means nothing in another process, so the
        // popup keeps its top-left.
        DWORD_PTR result = 0;
        const WORD dpi = static_cast<WORD>(std::wcstoul(argv[2], nullptr, 10));
        return ::SendMessageTimeoutW(Popup(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0,
                                     SMTO_ABORTIFHUNG, 10000, &result) != 0
                   ? 0
                   : 1;
    }
    if (command == L"tray-icon") {
        return TrayIcon();
    }
    if (command == L"input-method") {
        return InputMethod();
    }
    if (command == L"active-scheme") {
        return ActiveScheme();
    }
    if (command == L"make-scheme" && argc > 3) {
        return MakeScheme(argv[2], argv[3]);
    }
    if (command == L"close-class" && argc > 2) {
        HWND window = ::FindWindowW(argv[2], nullptr);
        return window != nullptr && ::PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (command == L"launch-time") {
        return LaunchTime(argc, argv, WM_NULL, 0);
    }
    if (command == L"launch-full") {
        return LaunchTime(argc, argv, WM_POWERBROADCAST, kIgnoredPowerEvent);
    }
    if (command == L"early-close") {
        return EarlyClose(argc, argv);
    }
    if (command == L"key-time") {
        return KeyTime(argc, argv);
    }
    return 2;
}
