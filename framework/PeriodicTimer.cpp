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
    loop->ScheduleTick(this, milliseconds, firstDue, std::move(onTick));
    running_ = true;
    return true;
}

void PeriodicTimer::Stop() {
    if (!running_) {
        return;
    }
    running_ = false;
    if (Application* loop = Application::Current()) {
        loop->CancelTick(this);
    }
}

} // namespace framework
