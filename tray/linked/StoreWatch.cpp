#include "tray/linked/StoreWatch.h"

#include "framework/Application.h"

namespace tray {

namespace {

constexpr DWORD kWatchedChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

} // namespace

StoreWatch::StoreWatch(std::string path, DWORD recheckMilliseconds)
    : path_(std::move(path)), recheck_(recheckMilliseconds) {}

StoreWatch::~StoreWatch() {
    Unwatch();
}

void StoreWatch::Unwatch() {
    framework::Application* loop = framework::Application::Current();
    if (loop != nullptr && event_) {
        loop->UnwatchObject(event_.Get());
    }
}

bool StoreWatch::Arm() {
    armed_ = false;
    if (!event_) {
        event_.Reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
        if (!event_) {
            return false;
        }
    }
    if (!key_) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_NOTIFY, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        key_.Reset(key);
    }
    armed_ = ::RegNotifyChangeKeyValue(key_.Get(), TRUE, kWatchedChanges, event_.Get(), TRUE) ==
             ERROR_SUCCESS;
    if (!armed_) {
        key_.Reset();
    }
    return armed_;
}

bool StoreWatch::WaitedByLoop() {
    framework::Application* loop = framework::Application::Current();
    if (loop == nullptr || !event_) {
        return false;
    }
    // The loop may have given up waiting on it; asked again each time.
    return loop->Watches(event_.Get()) || loop->WatchObject(event_.Get(), [this] {
        signalled_ = true;
        if (onChange_) {
            onChange_();
        }
    });
}

bool StoreWatch::Changed() {
    // GetTickCount reads shared memory; only the event costs a call to the system, and only
    // where no loop waits on it.
    const DWORD now = ::GetTickCount();
    const bool quiet =
        !signalled_ && (WaitedByLoop() || ::WaitForSingleObject(event_.Get(), 0) == WAIT_TIMEOUT);
    if (armed_ && now - lastRead_ < recheck_ && quiet) {
        return false;
    }
    lastRead_ = now;
    signalled_ = false;
    // A notification fires once: armed again before the caller reads, so that a change made
    // while it reads is not missed. A key deleted and made again needs a new handle.
    key_.Reset();
    Arm();
    WaitedByLoop();
    return true;
}

} // namespace tray
