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

    // Runs `read` on the worker thread (on this one when no thread can be started), then
    // posts `message` to `window`. While a read runs, the newest one asked for follows it:
    // the running one may have begun before what the caller asks for happened.
    void Request(HWND window, UINT message, std::function<void()> read);
    // For each message of the window: true when it is the reader's. The read is over then,
    // `show` uses what it wrote, and a read asked for meanwhile starts.
    bool Handle(UINT message, const std::function<void()>& show);
    bool Busy() const { return static_cast<bool>(running_); }

private:
    static DWORD WINAPI Run(void* self);
    void Start(std::function<void()> read);
    void Finish();

    HWND window_ = nullptr;
    UINT message_ = 0;
    std::function<void()> running_; // the worker's own until its message comes
    std::function<void()> next_;
    framework::UniqueKernelHandle thread_;
};

} // namespace applet
