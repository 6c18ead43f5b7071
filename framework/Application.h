// The one application object of a program (or of an applet library): start-up, the message
// loop with its PreTranslateMessage step, and exit. Execute() runs InitInstance, then the loop
// when InitInstance succeeded, and always ExitInstance, whose result is the exit code.
#pragma once

#include <windows.h>

#include <string>

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

    TextKind kind_;
    HINSTANCE instance_;
    Window* mainWindow_ = nullptr;
    int exitCode_ = 0;
    std::string commandLineA_;
    std::wstring commandLineW_;
};

} // namespace framework
