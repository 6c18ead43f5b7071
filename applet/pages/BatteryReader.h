// Runs a read of the batteries on a worker thread and tells the window when it is over, so
// that the queries' waits (a tag query for an empty bay waits up to 200 ms in the driver)
// never hold up the window. One read at a time.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/UniqueHandle.h"

namespace applet {

class BatteryReader {
public:
    BatteryReader() = default;
    BatteryReader(const BatteryReader&) = delete;
    BatteryReader& operator=(const BatteryReader&) = delete;
    // A read still running writes into its owner's result: it is waited for.
    ~BatteryReader();

    // Runs `read` on the worker thread (on this one when no thread can be started) and then
    // posts `message` to `window`. False, and nothing done, while a read is still running.
    bool Start(HWND window, UINT message, std::function<void()> read);
    // For `message`: the read is over, and what it wrote may be used.
    void Finish();
    bool Busy() const { return busy_; }

private:
    static DWORD WINAPI Run(void* self);

    HWND window_ = nullptr;
    UINT message_ = 0;
    std::function<void()> read_;
    framework::UniqueKernelHandle thread_;
    bool busy_ = false;
};

} // namespace applet
