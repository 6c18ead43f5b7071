// The one application object of a program (or of an applet library): start-up, the message
// loop with its PreTranslateMessage step, and exit. Execute() runs InitInstance, then the loop
// when InitInstance succeeded, and always ExitInstance, whose result is the exit code.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/CommandState.h"
#include "framework/TextKind.h"

namespace framework {

class Window;

class Application {
public:
    // The exit code after an InitInstance that failed.
    static constexpr int kInitFailed = 1;

    // `kind` chooses the ...A or ...W message functions of the loop.
    explicit Application(TextKind kind);
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application* Current();

    int Execute();
    // Until WM_QUIT; returns its exit code.
    int Run();

    // Kernel objects the loop waits on together with its messages, so that a program learns of
    // an event by being told rather than by asking at every tick. The handler runs on the
    // loop's thread when the object is signalled; an object that stays signalled (a process,
    // a manual-reset event) must be unwatched or reset by it. Watching an object again
    // replaces its handler. Never close an object that is still watched. At most
    // kMaxWatched objects; false beyond.
    bool WatchObject(HANDLE object, std::function<void()> onSignalled);
    void UnwatchObject(HANDLE object);
    bool Watches(HANDLE object) const;
    static constexpr std::size_t kMaxWatched = MAXIMUM_WAIT_OBJECTS - 1;
    // Repeating ticks kept by the loop itself: the wait for messages and watched objects ends
    // at the next one due, and no timer object or timer message is involved (see
    // PeriodicTimer). `owner` names the tick; scheduling it again starts it over.
    void ScheduleTick(const void* owner, DWORD period, DWORD firstDue,
                      std::function<void()> onTick);
    void CancelTick(const void* owner);
    // The next message for the loops of this application (its own and modal dialogs'), as
    // GetMessage returns it (0 for WM_QUIT, -1 on failure), running the handlers of watched
    // objects signalled meanwhile.
    BOOL NextMessage(MSG& message, bool wide);

    virtual bool InitInstance();
    virtual int ExitInstance();
    // Default: the objects of the message's window and its parents (Window::RoutePreTranslate).
    virtual bool PreTranslateMessage(MSG& message);
    // Menu commands the main window leaves unhandled, and their menu states.
    virtual bool OnCommand(UINT id);
    virtual void OnUpdateCommand(CommandState& state);

    HINSTANCE Instance() const { return instance_; }
    TextKind Kind() const { return kind_; }
    int ExitCode() const { return exitCode_; }
    // When the main window is destroyed, OnMainWindowGone decides what follows.
    Window* MainWindow() const { return mainWindow_; }
    void SetMainWindow(Window* window) { mainWindow_ = window; }
    // Default: a program ends with its main window (WM_QUIT with code 0). A library hosted in
    // someone else's process overrides it: that process's loop is not ours to end.
    virtual void OnMainWindowGone();

    // The command line after the program name, as WinMain gets it; free to be cut up in place.
    char* CommandLineA() { return commandLineA_.data(); }
    wchar_t* CommandLineW() { return commandLineW_.data(); }

private:
    bool GuardedPreTranslate(MSG& message) noexcept;
    void RunWatchHandler(std::size_t index) noexcept;
    // Runs the ticks that are due; the milliseconds until the next one, or INFINITE.
    DWORD RunDueTicks() noexcept;
    void DropUnwaitable(DWORD error);

    struct Watched {
        HANDLE object;
        std::function<void()> onSignalled;
    };

    TextKind kind_;
    HINSTANCE instance_;
    Window* mainWindow_ = nullptr;
    int exitCode_ = 0;
    std::string commandLineA_;
    std::wstring commandLineW_;
    std::vector<Watched> watched_;

    struct Tick {
        const void* owner;
        DWORD due; // GetTickCount's clock, compared by differences across its wrap
        DWORD period;
        std::function<void()> onTick;
    };
    std::vector<Tick> ticks_;
};

} // namespace framework
