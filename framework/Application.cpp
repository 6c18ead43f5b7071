#include "framework/Application.h"

#include "framework/CommandLine.h"
#include "framework/Contain.h"
#include "framework/Module.h"
#include "framework/Trace.h"
#include "framework/Window.h"

namespace framework {

namespace {

Application* gCurrent = nullptr;

} // namespace

Application::Application(TextKind kind)
    : kind_(kind), instance_(ModuleInstance()), commandLineA_(CommandLineTail(::GetCommandLineA())),
      commandLineW_(CommandLineTail(::GetCommandLineW())) {
    if (gCurrent != nullptr) {
        Trace("framework: a second application object; the first one stays current\n");
        return;
    }
    gCurrent = this;
}

Application::~Application() {
    if (gCurrent == this) {
        gCurrent = nullptr;
    }
}

Application* Application::Current() {
    return gCurrent;
}

int Application::Execute() {
    const bool started =
        CallContained("framework: InitInstance", false, [this] { return InitInstance(); });
    if (started) {
        Run();
    } else {
        exitCode_ = kInitFailed;
    }
    return CallContained("framework: ExitInstance", exitCode_, [this] { return ExitInstance(); });
}

int Application::Run() {
    const bool wide = kind_ == TextKind::Wide;
    MSG message{};
    for (;;) {
        const BOOL got =
            wide ? ::GetMessageW(&message, nullptr, 0, 0) : ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            exitCode_ = static_cast<int>(message.wParam);
            return exitCode_;
        }
        if (got == -1) {
            Trace("framework: GetMessage failed, error %lu\n", ::GetLastError());
            exitCode_ = -1;
            return exitCode_;
        }
        if (GuardedPreTranslate(message)) {
            continue;
        }
        TranslateAndDispatch(message, wide);
    }
}

bool Application::InitInstance() {
    return true;
}

int Application::ExitInstance() {
    return exitCode_;
}

bool Application::PreTranslateMessage(MSG& message) {
    return Window::RoutePreTranslate(message);
}

void Application::OnMainWindowGone() {
    ::PostQuitMessage(0);
}

bool Application::OnCommand(UINT) {
    return false;
}

void Application::OnUpdateCommand(CommandState&) {}

bool Application::GuardedPreTranslate(MSG& message) noexcept {
    // A throwing step leaves the message to normal dispatch.
    return CallContained("framework: PreTranslateMessage", false,
                         [&] { return PreTranslateMessage(message); });
}

} // namespace framework
