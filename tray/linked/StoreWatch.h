// Whether the user's store may have changed since the last look, learnt from the registry's
// own change notification instead of reading the store at every tick.
#pragma once

#include <windows.h>

#include <string>

#include "framework/UniqueHandle.h"

namespace tray {

class StoreWatch {
public:
    // Watches `path` under HKEY_CURRENT_USER and everything below it.
    explicit StoreWatch(std::string path, DWORD recheckMilliseconds = kRecheckPeriod);

    // True at the first call and after any change since the call before. Where the key is
    // missing or the notification cannot be armed, always true: the caller then reads the
    // store every time, as without the watch. Also true once a recheck period has passed
    // without one: a notification can be lost (a watched key deleted and made again keeps
    // no watch on the new key). A read of the store is some twenty round trips, as many as
    // seven idle ticks: once every ten minutes is insurance enough for a rare loss.
    bool Changed();

    // The event the registry signals at a change, for a caller whose message loop waits on
    // it; null until the first Changed(). It stays the same object for the watch's life.
    HANDLE Event() const { return event_.Get(); }
    // Told by such a caller that its wait saw the event (and so consumed it): Changed() then
    // asks the event nothing itself until Waited(false).
    void Signalled() { signalled_ = true; }
    void Waited(bool byCaller) { waitedByCaller_ = byCaller; }

    static constexpr DWORD kRecheckPeriod = 10 * 60 * 1000;

    bool Watching() const { return armed_; }

private:
    bool Arm();

    std::string path_;
    DWORD recheck_;
    DWORD lastRead_ = 0;
    framework::UniqueKey key_;
    framework::UniqueKernelHandle event_;
    bool armed_ = false;
    bool signalled_ = false;
    bool waitedByCaller_ = false;
};

} // namespace tray
