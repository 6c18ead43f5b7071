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
    // no watch on the new key), and a read a minute costs nothing.
    bool Changed();

    static constexpr DWORD kRecheckPeriod = 60 * 1000;

    bool Watching() const { return armed_; }

private:
    bool Arm();

    std::string path_;
    DWORD recheck_;
    DWORD lastRead_ = 0;
    framework::UniqueKey key_;
    framework::UniqueKernelHandle event_;
    bool armed_ = false;
};

} // namespace tray
