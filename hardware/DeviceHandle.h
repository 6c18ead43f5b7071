// A device handle that closes itself, with an open by interface class and index.
#pragma once

#include <windows.h>

#include "../framework/UniqueHandle.h"
#include "MessageBoxes.h"

namespace hardware {

class DeviceHandle {
public:
    DeviceHandle() = default;

    // Opens member `index` of the interface class, closing what was held. When the class
    // cannot be enumerated the system's text for the error is shown with the caption
    // "VELMORA Power Management" and a warning icon.
    bool Open(const GUID& interfaceClass, DWORD index, const MessageBoxFn& box = ShowMessageBox);
    void Close() { handle_.Reset(); }

    bool IsOpen() const { return static_cast<bool>(handle_); }
    HANDLE Get() const { return handle_.Get(); }
    // Error of the last failed enumeration, 0 when it succeeded.
    DWORD LastError() const { return lastError_; }

private:
    framework::UniqueFile handle_;
    DWORD lastError_ = 0;
};

} // namespace hardware
