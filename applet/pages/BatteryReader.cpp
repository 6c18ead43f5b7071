#include "BatteryReader.h"

#include <utility>

namespace applet {

BatteryReader::~BatteryReader() {
    if (thread_) {
        ::WaitForSingleObject(thread_.Get(), INFINITE);
    }
}

void BatteryReader::Request(HWND window, UINT message, std::function<void()> read) {
    if (Busy() && window != window_) {
        Finish(); // the earlier window went before its message came
    }
    window_ = window;
    message_ = message;
    if (Busy()) {
        next_ = std::move(read);
        return;
    }
    Start(std::move(read));
}

void BatteryReader::Start(std::function<void()> read) {
    running_ = std::move(read);
    thread_.Reset(::CreateThread(nullptr, 0, &BatteryReader::Run, this, 0, nullptr));
    if (!thread_) {
        Run(this);
    }
}

DWORD WINAPI BatteryReader::Run(void* self) {
    auto* reader = static_cast<BatteryReader*>(self);
    reader->running_();
    // A window gone by now drops the message; the owner's destructor waits for this thread.
    ::PostMessageA(reader->window_, reader->message_, 0, 0);
    return 0;
}

void BatteryReader::Finish() {
    if (thread_) {
        // The message comes as the thread's last act, so this wait is at most a moment.
        ::WaitForSingleObject(thread_.Get(), INFINITE);
        thread_.Reset();
    }
    running_ = nullptr;
}

bool BatteryReader::Handle(UINT message, const std::function<void()>& show) {
    if (message != message_ || !Busy()) {
        return false;
    }
    Finish();
    show();
    if (next_) {
        Start(std::exchange(next_, nullptr));
    }
    return true;
}

} // namespace applet
