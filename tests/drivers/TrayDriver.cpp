// traydriver: drives the tray program's window from a test, one command per run, and reads
// back what a user would see (message boxes, the notification-area tip).
//
//   traydriver [--class NAME] [--timeout SECONDS] COMMAND [ARGS...]
//
// Messages that the tray answers synchronously are sent (the command returns once the tray has
// handled them); the mouse messages are posted, since a menu runs its own loop. Exit status:
// 0 done, 1 window missing or the call failed or timed out, 2 usage.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "DriverSupport.h"

using namespace drivers;

namespace {

constexpr WPARAM kPowerStatusChange = 10; // PBT_APMPOWERSTATUSCHANGE
constexpr WPARAM kResumeSuspend = 7;      // PBT_APMRESUMESUSPEND
constexpr UINT kSessionChange = 0x02B1;   // WM_WTSSESSION_CHANGE

struct Options {
    const char* className = kTrayClass;
    const char* title = nullptr;
    double timeout = 30;
};

int Usage() {
    std::fputs(
        "usage: traydriver [--class NAME] [--title TEXT] [--timeout SECONDS] COMMAND [ARGS]\n"
        "  scheme-changed [COUNT]   send WM_SCHEME_CHANGED, print each round trip in us\n"
        "  power-status | resume    send WM_POWERBROADCAST (status change | resume)\n"
        "  select ID                send the menu command of scheme ID\n"
        "  session CODE             send WM_WTSSESSION_CHANGE\n"
        "  exit | close             send WM_TRAY_EXIT | WM_CLOSE\n"
        "  tray MOUSE               post WM_TRAY_NOTIFY for the icon (lbuttondown,\n"
        "                           lbuttondblclk, rbuttonup or a number)\n"
        "  send|post MSG [W [L]]    any message (numbers in C notation)\n"
        "  wait-window [S] | wait-gone [S]\n"
        "  launch-time PROGRAM [ARGS]  start PROGRAM, print the microseconds until the window\n"
        "                           exists (waits up to --timeout seconds)\n"
        "  wait-foreground TITLE [S] wait until a window so titled has the foreground;\n"
        "                           print the local time it was seen (hh:mm:ss.mmm)\n"
        "  pid                      the window's process id\n"
        "  rect                     the window's rectangle on the screen: X Y WIDTH HEIGHT\n"
        "  stats                    handles, memory and CPU time of the window's process\n"
        "  keep-loaded LIBRARY      load the library once more in the window's process,\n"
        "                           so that it stays loaded there\n"
        "  tooltip                  tips of the notification-area icons, one a line\n"
        "  boxes [S] [keep]         wait for message boxes, print caption|text|topmost,\n"
        "                           answer them unless keep\n"
        "  menu [S]                 wait for a pop-up menu of another process\n"
        "  menu-resource FILE ID    the items of a program's menu as this locale loads them,\n"
        "                           one a line (UTF-8)\n"
        "  tabs                     the tabs of the window's tab control, one a line (UTF-8)\n"
        "  click ID                 click the window's control ID (BM_CLICK)\n"
        "  controls                 every control of the window: id, visible, text[, position]\n"
        "  list-items [S]           wait for the window's list view to fill, print its items,\n"
        "                           one a line (UTF-8)\n"
        "  error-text CODE          the system's text for an error code, on one line\n"
        "  soak COUNT BATTERY_DIR [SWITCH_EVERY [SAMPLE_EVERY]]\n"
        "                           COUNT applies; every SWITCH_EVERY-th flips the fake\n"
        "                           battery's mains and sends a status change, the others\n"
        "                           send WM_SCHEME_CHANGED; prints stats every SAMPLE_EVERY\n",
        stderr);
    return 2;
}

unsigned long Number(const char* text) {
    return std::strtoul(text, nullptr, 0);
}

HWND FindTray(const Options& options) {
    HWND window = ::FindWindowA(options.className, options.title);
    if (window == nullptr) {
        std::fprintf(stderr, "traydriver: no window of class %s\n", options.className);
    }
    return window;
}

// Sends and waits for the handler, bounded: a hung tray fails the command instead of hanging
// the test. Prints nothing; returns whether the call completed.
bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const Options& options,
          DWORD_PTR* result = nullptr) {
    DWORD_PTR ignored = 0;
    const UINT ms = static_cast<UINT>(options.timeout * 1000);
    if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, ms,
                               result != nullptr ? result : &ignored)) {
        std::fprintf(stderr, "traydriver: message 0x%X not answered (error %lu)\n", message,
                     ::GetLastError());
        return false;
    }
    return true;
}

int SendAndPrint(const Options& options, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = FindTray(options);
    DWORD_PTR result = 0;
    if (window == nullptr || !Send(window, message, wParam, lParam, options, &result)) {
        return 1;
    }
    std::printf("%ld\n", static_cast<long>(result));
    return 0;
}

int SchemeChanged(const Options& options, int count) {
    HWND window = FindTray(options);
    if (window == nullptr) {
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        const std::int64_t start = NowMicroseconds();
        if (!Send(window, kSchemeChanged, 0, 0, options)) {
            return 1;
        }
        std::printf("%lld\n", static_cast<long long>(NowMicroseconds() - start));
    }
    return 0;
}

UINT MouseMessage(const char* name) {
    if (std::strcmp(name, "lbuttondown") == 0) {
        return WM_LBUTTONDOWN;
    }
    if (std::strcmp(name, "lbuttondblclk") == 0) {
        return WM_LBUTTONDBLCLK;
    }
    if (std::strcmp(name, "rbuttonup") == 0) {
        return WM_RBUTTONUP;
    }
    return static_cast<UINT>(Number(name));
}

int Wait(const Options& options, bool gone, double seconds) {
    HWND window = WaitForWindow(options.className, gone, seconds, options.title);
    if ((window != nullptr) == gone) {
        std::fprintf(stderr, "traydriver: window of class %s %s after %.1f s\n", options.className,
                     gone ? "still there" : "not there", seconds);
        return 1;
    }
    return 0;
}

// Polled every 2 ms, as this is the measurement: an applet opens in a few tenths of a second.
int LaunchTime(const Options& options, const std::vector<std::string>& args) {
    // Quoted only where needed: Wine's explorer does not know a quoted "/desktop=NAME".
    std::string command;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const bool quote = args[i].find(' ') != std::string::npos;
        command += (i > 1 ? " " : "") + (quote ? "\"" + args[i] + "\"" : args[i]);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const std::int64_t start = NowMicroseconds();
    if (command.empty() || !::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                             nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "traydriver: cannot start %s, error %lu\n", command.c_str(),
                     ::GetLastError());
        return 1;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (WaitForWindow(options.className, false, options.timeout, options.title, 2) == nullptr) {
        std::fprintf(stderr, "traydriver: no window of class %s after %.1f s\n",
                     options.className, options.timeout);
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(NowMicroseconds() - start));
    return 0;
}

int WaitForeground(const char* title, double seconds) {
    const std::int64_t end = NowMicroseconds() + static_cast<std::int64_t>(seconds * 1e6);
    for (;;) {
        char text[256] = {};
        HWND front = ::GetForegroundWindow();
        if (front != nullptr) {
            ::GetWindowTextA(front, text, sizeof text);
        }
        if (std::strcmp(text, title) == 0) {
            SYSTEMTIME now{};
            ::GetLocalTime(&now);
            std::printf("%02u:%02u:%02u.%03u\n", now.wHour, now.wMinute, now.wSecond,
                        now.wMilliseconds);
            return 0;
        }
        if (NowMicroseconds() >= end) {
            std::fprintf(stderr, "traydriver: \"%s\" not in the foreground (\"%s\" is)\n", title,
                         text);
            return 1;
        }
        ::Sleep(20);
    }
}

DWORD TrayProcess(const Options& options) {
    HWND window = FindTray(options);
    DWORD pid = 0;
    if (window != nullptr) {
        ::GetWindowThreadProcessId(window, &pid);
    }
    return pid;
}

void PrintStats(const ProcessStats& s) {
    std::printf("handles=%lu workingset=%lu private=%lu cpu_us=%llu gdi=%lu user=%lu\n", s.handles,
                static_cast<unsigned long>(s.workingSet),
                static_cast<unsigned long>(s.privateBytes),
                static_cast<unsigned long long>(s.cpuMicroseconds), s.gdiObjects, s.userObjects);
    std::fflush(stdout);
}

int Stats(const Options& options) {
    const DWORD pid = TrayProcess(options);
    ProcessStats stats;
    if (pid == 0 || !ReadProcessStats(pid, stats)) {
        return 1;
    }
    PrintStats(stats);
    return 0;
}

// Text on one line: its own line breaks written as \r and \n.
std::string ChildText(HWND window) {
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        line += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    }
    return line;
}

// One line per control for "controls": id, visible, text and a progress bar's position.
BOOL CALLBACK PrintControl(HWND child, LPARAM) {
    char className[64] = {};
    ::GetClassNameA(child, className, sizeof className);
    std::printf("%d\t%d\t%s", ::GetDlgCtrlID(child), ::IsWindowVisible(child) ? 1 : 0,
                OneLine(ChildText(child)).c_str());
    if (std::strcmp(className, PROGRESS_CLASSA) == 0) {
        std::printf("\t%d", static_cast<int>(::SendMessageA(child, PBM_GETPOS, 0, 0)));
    }
    std::printf("\n");
    return TRUE;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindControl(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<ControlSearch*>(data);
    if (::GetDlgCtrlID(child) == search->id && search->found == nullptr) {
        search->found = child;
    }
    return TRUE;
}

int Boxes(double seconds, bool keep) {
    const std::int64_t end = NowMicroseconds() + static_cast<std::int64_t>(seconds * 1e6);
    std::vector<BoxReading> boxes;
    while ((boxes = MessageBoxes()).empty() && NowMicroseconds() < end) {
        ::Sleep(50);
    }
    for (const BoxReading& box : boxes) {
        std::printf("%s|%s|topmost=%d\n", box.caption.c_str(), OneLine(box.text).c_str(),
                    box.topmost ? 1 : 0);
        if (!keep) {
            ::PostMessageA(box.window, WM_COMMAND, IDOK, 0);
        }
    }
    return boxes.empty() ? 1 : 0;
}

bool WriteText(const std::string& path, const char* text) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "traydriver: cannot write %s (error %lu)\n", path.c_str(),
                     ::GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool ok =
        ::WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr) != FALSE;
    ::CloseHandle(file);
    return ok;
}

// The fake battery is a directory of the host that the tray's process sees in place of the
// system's power-supply tree; flipping its files changes what the next status call reports.
bool SetMains(const std::string& batteryDir, bool online) {
    return WriteText(batteryDir + "\\AC\\online", online ? "1\n" : "0\n") &&
           WriteText(batteryDir + "\\BAT0\\status", online ? "Charging\n" : "Discharging\n");
}

int Soak(const Options& options, long count, const std::string& batteryDir, long switchEvery,
         long sampleEvery) {
    HWND window = FindTray(options);
    if (window == nullptr || switchEvery <= 0 || sampleEvery <= 0) {
        return 1;
    }
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    ProcessStats stats;
    if (!ReadProcessStats(pid, stats)) {
        return 1;
    }
    std::printf("apply=0 ");
    PrintStats(stats);
    bool mains = true;
    for (long i = 1; i <= count; ++i) {
        if (i % switchEvery == 0) {
            mains = !mains;
            if (!SetMains(batteryDir, mains) ||
                !Send(window, WM_POWERBROADCAST, kPowerStatusChange, 0, options)) {
                return 1;
            }
        } else if (!Send(window, kSchemeChanged, 0, 0, options)) {
            return 1;
        }
        if (i % sampleEvery == 0) {
            if (!ReadProcessStats(pid, stats)) {
                return 1;
            }
            std::printf("apply=%ld ", i);
            PrintStats(stats);
        }
    }
    SetMains(batteryDir, true);
    return 0;
}

int Run(const Options& options, const std::vector<std::string>& args) {
    if (args.empty()) {
        return Usage();
    }
    const std::string& command = args[0];
    auto arg = [&](std::size_t i, const char* fallback) {
        return i < args.size() ? args[i].c_str() : fallback;
    };
    if (command == "scheme-changed") {
        return SchemeChanged(options, std::atoi(arg(1, "1")));
    }
    if (command == "power-status") {
        return SendAndPrint(options, WM_POWERBROADCAST, kPowerStatusChange, 0);
    }
    if (command == "resume") {
        return SendAndPrint(options, WM_POWERBROADCAST, kResumeSuspend, 0);
    }
    if (command == "select" && args.size() == 2) {
        return SendAndPrint(options, WM_COMMAND, kFirstSchemeCommand + Number(arg(1, "0")), 0);
    }
    if (command == "session" && args.size() == 2) {
        return SendAndPrint(options, kSessionChange, Number(arg(1, "0")), 0);
    }
    if (command == "exit") {
        return SendAndPrint(options, kTrayExit, 0, 0);
    }
    if (command == "close") {
        return SendAndPrint(options, WM_CLOSE, 0, 0);
    }
    if (command == "tray" && args.size() == 2) {
        HWND window = FindTray(options);
        return window != nullptr &&
                       ::PostMessageA(window, kTrayNotify, kTrayIconId, MouseMessage(arg(1, "")))
                   ? 0
                   : 1;
    }
    if ((command == "send" || command == "post") && args.size() >= 2) {
        const UINT message = Number(arg(1, "0"));
        const WPARAM wParam = Number(arg(2, "0"));
        const LPARAM lParam = static_cast<LPARAM>(Number(arg(3, "0")));
        if (command == "send") {
            return SendAndPrint(options, message, wParam, lParam);
        }
        HWND window = FindTray(options);
        return window != nullptr && ::PostMessageA(window, message, wParam, lParam) ? 0 : 1;
    }
    if (command == "wait-window" || command == "wait-gone") {
        return Wait(options, command == "wait-gone", std::atof(arg(1, "10")));
    }
    if (command == "launch-time") {
        return LaunchTime(options, args);
    }
    if (command == "wait-foreground" && args.size() >= 2) {
        return WaitForeground(arg(1, ""), std::atof(arg(2, "10")));
    }
    if (command == "pid") {
        const DWORD pid = TrayProcess(options);
        std::printf("%lu\n", pid);
        return pid != 0 ? 0 : 1;
    }
    if (command == "rect") {
        HWND window = FindTray(options);
        RECT r{};
        if (window == nullptr || !::GetWindowRect(window, &r)) {
            return 1;
        }
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (command == "stats") {
        return Stats(options);
    }
    if (command == "keep-loaded" && args.size() == 2) {
        const DWORD pid = TrayProcess(options);
        return pid != 0 && KeepLibraryLoaded(pid, arg(1, "")) ? 0 : 1;
    }
    if (command == "tooltip") {
        const auto tips = NotificationTips();
        for (const std::string& tip : tips) {
            std::printf("%s\n", tip.c_str());
        }
        return tips.empty() ? 1 : 0;
    }
    if (command == "boxes") {
        return Boxes(std::atof(arg(1, "10")), args.size() > 2 && args[2] == "keep");
    }
    if (command == "menu") {
        const std::int64_t end =
            NowMicroseconds() + static_cast<std::int64_t>(std::atof(arg(1, "5")) * 1e6);
        while (!PopupMenuShown() && NowMicroseconds() < end) {
            ::Sleep(50);
        }
        const bool shown = PopupMenuShown();
        std::printf("%s\n", shown ? "open" : "none");
        return shown ? 0 : 1;
    }
    if (command == "menu-resource" && args.size() == 3) {
        const auto texts = MenuResourceTexts(arg(1, ""), Number(arg(2, "0")));
        for (const std::string& text : texts) {
            std::printf("%s\n", text.c_str());
        }
        return texts.empty() ? 1 : 0;
    }
    if (command == "tabs") {
        HWND window = FindTray(options);
        HWND tabs =
            window != nullptr ? ::FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr) : nullptr;
        const auto texts = tabs != nullptr ? TabTexts(tabs) : std::vector<std::string>{};
        for (const std::string& text : texts) {
            std::printf("%s\n", text.c_str());
        }
        return texts.empty() ? 1 : 0;
    }
    if (command == "controls") {
        // Every control of the window, its pages' included: id, visible, text and, for a
        // progress bar, its position.
        HWND window = FindTray(options);
        if (window == nullptr) {
            return 1;
        }
        ::EnumChildWindows(window, PrintControl, 0);
        return 0;
    }
    if (command == "click" && args.size() == 2) {
        // A click on the control with this id, among all of the window's controls.
        HWND window = FindTray(options);
        ControlSearch search{std::atoi(arg(1, "0")), nullptr};
        if (window != nullptr) {
            ::EnumChildWindows(window, FindControl, reinterpret_cast<LPARAM>(&search));
        }
        return search.found != nullptr && ::PostMessageA(search.found, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (command == "list-items") {
        // The list fills while the window runs (the Control Panel loads applet after applet):
        // the texts once the count has stayed the same for half a second.
        const std::int64_t end =
            NowMicroseconds() + static_cast<std::int64_t>(std::atof(arg(1, "10")) * 1e6);
        std::vector<std::string> texts;
        std::size_t steady = 0;
        while (NowMicroseconds() < end && steady < 5) {
            HWND window = FindTray(options);
            HWND list = window != nullptr
                            ? ::FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr)
                            : nullptr;
            auto now = list != nullptr ? ListViewTexts(list) : std::vector<std::string>{};
            steady = !now.empty() && now.size() == texts.size() ? steady + 1 : 0;
            texts = std::move(now);
            ::Sleep(100);
        }
        for (const std::string& text : texts) {
            std::printf("%s\n", text.c_str());
        }
        return texts.empty() ? 1 : 0;
    }
    if (command == "error-text" && args.size() == 2) {
        std::printf("%s\n", OneLine(SystemErrorText(Number(arg(1, "0")))).c_str());
        return 0;
    }
    if (command == "soak" && args.size() >= 3) {
        return Soak(options, std::atol(arg(1, "0")), arg(2, ""), std::atol(arg(3, "10")),
                    std::atol(arg(4, "500")));
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--class") == 0 && i + 1 < argc) {
            options.className = argv[++i];
        } else if (std::strcmp(argv[i], "--title") == 0 && i + 1 < argc) {
            options.title = argv[++i];
        } else if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
            options.timeout = std::atof(argv[++i]);
        } else {
            args.emplace_back(argv[i]);
        }
    }
    const int status = Run(options, args);
    std::fflush(stdout);
    return status;
}
