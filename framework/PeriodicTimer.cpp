#include "framework/PeriodicTimer.h"

#include <utility>

#include "framework/Application.h"
#include "framework/Trace.h"

namespace framework {

PeriodicTimer::~PeriodicTimer() { Stop(); }

bool PeriodicTimer::Start(DWORD milliseconds, std::function<void()> onTick, DWORD firstDue) {
    Stop();
    Application* loop = Application::Current();
    if (loop == nullptr || milliseconds == 0 || !onTick) {
        Trace("framework: no loop to serve a %lu ms tick\n", milliseconds);
        return false;
    }
    if (!timer_) {
        // Auto-reset: a wait that sees the tick consumes it.
        timer_.Reset(::CreateWaitableTimerW(nullptr, FALSE, nullptr));
        if (!timer_) {
            Trace("framework: CreateWaitableTimer failed, error %lu\n", ::GetLastError());
            return false;
        }
    }
    LARGE_INTEGER due{};
    // Relative, in 100 ns units.
    due.QuadPart = -static_cast<LONGLONG>(firstDue != 0 ? firstDue : milliseconds) * 10000;
    if (!::SetWaitableTimer(timer_.Get(), &due, static_cast<LONG>(milliseconds), nullptr,
                            nullptr, FALSE)) {
        Trace("framework: SetWaitableTimer failed, error %lu\n", ::GetLastError());
        return false;
    }
    if (!loop->WatchObject(timer_.Get(), std::move(onTick))) {
        ::CancelWaitableTimer(timer_.Get());
        return false;
    }
    running_ = true;
    return true;
}

void PeriodicTimer::Stop() {
    if (!running_) {
        return;
    }
    running_ = false;
    ::CancelWaitableTimer(timer_.Get());
    if (Application* loop = Application::Current()) {
        loop->UnwatchObject(timer_.Get());
    }
}

} // namespace framework
