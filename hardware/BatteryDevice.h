// The battery device class, as the queries reach it: open a battery by index and send it
// control codes. The system implementation goes through setupapi and DeviceIoControl; tests
// answer for batteries that Wine does not have.
#pragma once

#include <windows.h>

#include "../framework/UniqueHandle.h"

namespace hardware {

// The battery device interface class {72631E54-78A4-11D0-BCF7-00AA00B7B32A}.
inline constexpr GUID kBatteryInterfaceClass = {
    0x72631E54, 0x78A4, 0x11D0, {0xBC, 0xF7, 0x00, 0xAA, 0x00, 0xB7, 0xB3, 0x2A}};

class BatteryDevice {
public:
    virtual ~BatteryDevice() = default;

    // Battery `index` (0 first, 1 second), or an invalid handle when there is none.
    virtual framework::UniqueFile Open(int index) const = 0;
    // One control code; `returned` is the number of output bytes written, never more than
    // outputSize.
    virtual bool Control(HANDLE device, DWORD code, const void* input, DWORD inputSize,
                         void* output, DWORD outputSize, DWORD& returned) const = 0;
};

class SystemBatteryDevice final : public BatteryDevice {
public:
    // The longest a control code is waited for (the driver holds one a second at most), and
    // then its cancel; past them the call fails with ERROR_TIMEOUT.
    static constexpr DWORD kControlTimeoutMs = 5000;
    static constexpr DWORD kCancelTimeoutMs = 1000;

    framework::UniqueFile Open(int index) const override;
    bool Control(HANDLE device, DWORD code, const void* input, DWORD inputSize, void* output,
                 DWORD outputSize, DWORD& returned) const override;
};

// Opens member `index` of a device interface class for overlapped reading and writing. When
// the class list or the enumeration fails, enumerationError receives the error (else 0).
framework::UniqueFile OpenDeviceInterface(const GUID& interfaceClass, DWORD index,
                                          DWORD* enumerationError = nullptr);

} // namespace hardware
