#include "BatteryReader.h"

#include <utility>

namespace applet {

BatteryReader::~BatteryReader() {
    if (thread_) {
        ::WaitForSingleObject(thread_.Get(), INFINITE);
    }
}

bool BatteryReader::Start(HWND window, UINT message, std::function<void()> read) {
    if (busy_ && window != window_) {
        Finish(); // the earlier window went before its message came
    }
    if (busy_) {
        return false;
    }
    busy_ = true;
    window_ = window;
    message_ = message;
    read_ = std::move(read);
    thread_.Reset(::CreateThread(nullptr, 0, &BatteryReader::Run, this, 0, nullptr));
    if (!thread_) {
        Run(this);
    }
    return true;
}

DWORD WINAPI BatteryReader::Run(void* self) {
    auto* reader = static_cast<BatteryReader*>(self);
    reader->read_();
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
    read_ = nullptr;
    busy_ = false;
}

} // namespace applet
