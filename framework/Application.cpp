#include "framework/Application.h"

#include "framework/CommandLine.h"
#include "framework/Contain.h"
#include "framework/Module.h"
#include "framework/Trace.h"
#include "framework/Window.h"

#include <algorithm>
#include <utility>

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
        const BOOL got = NextMessage(message, wide);
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

bool Application::WatchObject(HANDLE object, std::function<void()> onSignalled) {
    if (object == nullptr || !onSignalled) {
        return false;
    }
    const auto known = std::find_if(watched_.begin(), watched_.end(),
                                    [&](const Watched& w) { return w.object == object; });
    if (known != watched_.end()) {
        known->onSignalled = std::move(onSignalled);
        return true;
    }
    if (watched_.size() >= kMaxWatched) {
        Trace("framework: no room to watch one more object\n");
        return false;
    }
    watched_.push_back({object, std::move(onSignalled)});
    return true;
}

void Application::UnwatchObject(HANDLE object) {
    std::erase_if(watched_, [&](const Watched& w) { return w.object == object; });
}

bool Application::Watches(HANDLE object) const {
    return object != nullptr && std::any_of(watched_.begin(), watched_.end(),
                                            [&](const Watched& w) { return w.object == object; });
}

void Application::RunWatchHandler(std::size_t index) noexcept {
    // A copy: the handler may unwatch its own object, or watch others.
    std::function<void()> handler;
    CallContained("framework: watched object", false, [&] {
        handler = watched_[index].onSignalled;
        handler();
        return true;
    });
}

void Application::ScheduleTick(const void* owner, DWORD period, DWORD firstDue,
                               std::function<void()> onTick) {
    CancelTick(owner);
    ticks_.push_back(
        {owner, ::GetTickCount() + (firstDue != 0 ? firstDue : period), period, std::move(onTick)});
}

void Application::CancelTick(const void* owner) {
    std::erase_if(ticks_, [&](const Tick& t) { return t.owner == owner; });
}

namespace {

// Milliseconds from `now` until `due` on GetTickCount's clock; 0 when due. Periods are far
// shorter than the clock's 49.7-day wrap, so the difference tells.
DWORD Until(DWORD due, DWORD now) {
    const auto ahead = static_cast<LONG>(due - now);
    return ahead > 0 ? static_cast<DWORD>(ahead) : 0;
}

} // namespace

DWORD Application::RunDueTicks() noexcept {
    for (;;) {
        const DWORD now = ::GetTickCount();
        const auto due = std::find_if(ticks_.begin(), ticks_.end(),
                                      [&](const Tick& t) { return Until(t.due, now) == 0; });
        if (due == ticks_.end()) {
            break;
        }
        // Moved past now before it runs, so that the loop ends however long the handler
        // takes; ticks missed meanwhile fold into this one, as WM_TIMER's do.
        const DWORD next = due->due + due->period;
        due->due = Until(next, now) > 0 ? next : now + due->period;
        // A copy: the handler may cancel or schedule ticks, its own included.
        std::function<void()> handler = due->onTick;
        CallContained("framework: tick", false, [&] {
            handler();
            return true;
        });
    }
    DWORD wait = INFINITE;
    const DWORD now = ::GetTickCount();
    for (const Tick& t : ticks_) {
        wait = std::min(wait, Until(t.due, now));
    }
    return wait;
}

BOOL Application::NextMessage(MSG& message, bool wide) {
    for (;;) {
        const DWORD timeout = RunDueTicks();
        if (watched_.empty() && ticks_.empty()) {
            return wide ? ::GetMessageW(&message, nullptr, 0, 0)
                        : ::GetMessageA(&message, nullptr, 0, 0);
        }
        HANDLE objects[MAXIMUM_WAIT_OBJECTS];
        const auto count = static_cast<DWORD>(watched_.size());
        for (DWORD i = 0; i < count; ++i) {
            objects[i] = watched_[i].object;
        }
        // MWMO_INPUTAVAILABLE: messages already in the queue end the wait too, not only new
        // ones, so that one peek per wake is enough. A wait that ends at its time-out is the
        // cheapest wake there is: under Wine, the queue's wake mask set for it still holds
        // for the next wait.
        const DWORD woken = ::MsgWaitForMultipleObjectsEx(count, objects, timeout, QS_ALLINPUT,
                                                          MWMO_INPUTAVAILABLE);
        if (woken == WAIT_TIMEOUT) {
            continue; // a tick is due
        }
        if (woken == WAIT_OBJECT_0 + count) {
            const BOOL got = wide ? ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)
                                  : ::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
            if (got) {
                return message.message == WM_QUIT ? 0 : 1;
            }
            continue; // only sent messages, which the peek has delivered
        }
        if (woken < WAIT_OBJECT_0 + count) {
            RunWatchHandler(woken - WAIT_OBJECT_0);
            continue;
        }
        DropUnwaitable(::GetLastError());
    }
}

// The wait fails as a whole for one object that cannot be waited on (closed, or opened
// without SYNCHRONIZE): only that one is let go, and the others are waited on as before. Each
// is asked alone, and one found signalled has been consumed by the asking (an auto-reset
// event): its handler runs, as the wait's would have.
void Application::DropUnwaitable(DWORD error) {
    std::vector<HANDLE> signalled;
    std::vector<HANDLE> failed;
    for (const Watched& w : watched_) {
        const DWORD state = ::WaitForSingleObject(w.object, 0);
        if (state == WAIT_FAILED) {
            failed.push_back(w.object);
        } else if (state != WAIT_TIMEOUT) {
            signalled.push_back(w.object);
        }
    }
    Trace("framework: waiting for %lu objects failed, error %lu; %lu of them let go\n",
          static_cast<unsigned long>(watched_.size()), error,
          static_cast<unsigned long>(failed.size()));
    if (failed.empty() && signalled.empty()) {
        // Nothing to blame: without the objects the messages still go on.
        watched_.clear();
        return;
    }
    for (const HANDLE object : failed) {
        UnwatchObject(object);
    }
    for (const HANDLE object : signalled) {
        // A handler run before may have unwatched it.
        const auto found = std::find_if(watched_.begin(), watched_.end(),
                                        [&](const Watched& w) { return w.object == object; });
        if (found != watched_.end()) {
            RunWatchHandler(static_cast<std::size_t>(found - watched_.begin()));
        }
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
