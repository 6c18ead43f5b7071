#include "DeviceHandle.h"

#include "BatteryDevice.h"

namespace hardware {

bool DeviceHandle::Open(const GUID& interfaceClass, DWORD index, const MessageBoxFn& box) {
    handle_ = OpenDeviceInterface(interfaceClass, index, &lastError_);
    if (lastError_ != 0) {
        ShowSystemErrorWith(box, lastError_, kDeviceCaption, kRefusalStyle);
    }
    return IsOpen();
}

} // namespace hardware
