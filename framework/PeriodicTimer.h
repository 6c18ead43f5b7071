// A repeating tick served by the application's loop instead of WM_TIMER.
//
// A WM_TIMER tick costs the loop a fetch of the message and a re-arm of its wait on top of the
// wait itself. Here the loop's wait simply ends when the tick is due (under Wine, one server
// round trip per tick instead of three). For ticks that run all day in an idle program. Like
// WM_TIMER, ticks missed while one is handled are folded into one; unlike it, no tick is
// served while a system modal loop (a menu being tracked) has the thread.
#pragma once

#include <windows.h>

#include <functional>

namespace framework {

class PeriodicTimer {
public:
    PeriodicTimer() = default;
    ~PeriodicTimer();
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Every `milliseconds`, the first `firstDue` from now (0: one period), `onTick` on the
    // loop's thread; a running timer starts over. False, with a trace, when there is no loop
    // or no period.
    bool Start(DWORD milliseconds, std::function<void()> onTick, DWORD firstDue = 0);
    void Stop();
    bool Running() const { return running_; }

private:
    bool running_ = false;
};

} // namespace framework
