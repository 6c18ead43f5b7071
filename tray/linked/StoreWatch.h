// Whether the user's store may have changed since the last look, learnt from the registry's
// own change notification instead of reading the store at every tick.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/UniqueHandle.h"

namespace tray {

class StoreWatch {
public:
    // Watches `path` under HKEY_CURRENT_USER and everything below it.
    explicit StoreWatch(std::string path, DWORD recheckMilliseconds = kRecheckPeriod);
    ~StoreWatch();
    StoreWatch(const StoreWatch&) = delete;
    StoreWatch& operator=(const StoreWatch&) = delete;

    // Run on the application's loop when the registry reports a change, once for a burst of
    // writes (the notification is armed again only by the read that follows).
    void OnChange(std::function<void()> handler) { onChange_ = std::move(handler); }

    // True at the first call and after any change since the call before. Where the key is
    // missing or the notification cannot be armed, always true: the caller then reads the
    // store every time, as without the watch. Also true once a recheck period has passed
    // without one: a notification can be lost (a watched key deleted and made again keeps
    // no watch on the new key). A read of the store is some twenty round trips, as many as
    // seven idle ticks: once every ten minutes is insurance enough for a rare loss.
    //
    // The application's loop, where there is one, waits on the registry's event and so
    // consumes it; without one (another thread) the event is asked here.
    bool Changed();

    // The caller wrote the store itself, or wants it read again: the next Changed() is true.
    void Invalidate() { signalled_ = true; }

    static constexpr DWORD kRecheckPeriod = 10 * 60 * 1000;

    bool Watching() const { return armed_; }

private:
    bool Arm();
    // Whether the loop waits on the event now; asks it to when it does not.
    bool WaitedByLoop();
    void Unwatch();

    std::string path_;
    DWORD recheck_;
    DWORD lastRead_ = 0;
    framework::UniqueKey key_;
    framework::UniqueKernelHandle event_;
    bool armed_ = false;
    bool signalled_ = false;
    std::function<void()> onChange_;
};

} // namespace tray
