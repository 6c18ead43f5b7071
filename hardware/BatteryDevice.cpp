#include "BatteryDevice.h"

#include <setupapi.h>

#include <algorithm>
#include <vector>

namespace hardware {

namespace {

struct DeviceListTraits {
    using Handle = HDEVINFO;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) { ::SetupDiDestroyDeviceInfoList(h); }
};
using DeviceList = framework::UniqueHandle<DeviceListTraits>;

// The detail record's size field holds the size of its fixed part: 5 bytes on 32-bit Windows,
// 8 on 64-bit Windows, where set-up refuses any other value.
constexpr DWORD kDetailSizeField = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
static_assert(sizeof(void*) != 4 || kDetailSizeField == 5);
static_assert(sizeof(void*) != 8 || kDetailSizeField == 8);

// A device path is far shorter; a larger answer is not trusted with an allocation.
constexpr DWORD kMaxDetailSize = 64 * 1024;

constexpr DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;       // 0x12
constexpr DWORD kOverlappedNormal = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED; // 0x40000080

} // namespace

framework::UniqueFile OpenDeviceInterface(const GUID& interfaceClass, DWORD index,
                                          DWORD* enumerationError) {
    if (enumerationError != nullptr) {
        *enumerationError = 0;
    }
    DeviceList list(::SetupDiGetClassDevsA(&interfaceClass, nullptr, nullptr, kPresentInterfaces));
    if (!list) {
        if (enumerationError != nullptr) {
            *enumerationError = ::GetLastError();
        }
        return {};
    }
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    if (!::SetupDiEnumDeviceInterfaces(list.Get(), nullptr, &interfaceClass, index,
                                       &interfaceData)) {
        if (enumerationError != nullptr) {
            *enumerationError = ::GetLastError();
        }
        return {};
    }

    // First call only learns the size of the detail record.
    DWORD required = 0;
    ::SetupDiGetDeviceInterfaceDetailA(list.Get(), &interfaceData, nullptr, 0, &required, nullptr);
    if (required <= kDetailSizeField || required > kMaxDetailSize) {
        return {};
    }
    // Whole words keep the record aligned; one spare word leaves room for a terminator.
    std::vector<DWORD> storage(required / sizeof(DWORD) + 2, 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
    detail->cbSize = kDetailSizeField;
    if (!::SetupDiGetDeviceInterfaceDetailA(list.Get(), &interfaceData, detail, required, nullptr,
                                            nullptr)) {
        return {};
    }
    reinterpret_cast<char*>(storage.data())[required] = '\0';

    return framework::UniqueFile(::CreateFileA(detail->DevicePath, GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, kOverlappedNormal, nullptr));
}

framework::UniqueFile SystemBatteryDevice::Open(int index) const {
    if (index < 0) {
        return {};
    }
    return OpenDeviceInterface(kBatteryInterfaceClass, static_cast<DWORD>(index));
}

bool SystemBatteryDevice::Control(HANDLE device, DWORD code, const void* input, DWORD inputSize,
                                  void* output, DWORD outputSize, DWORD& returned) const {
    returned = 0;
    // The battery is opened for overlapped I/O, and a query may wait for the battery (the tag
    // query up to 200 ms): wait for it here, so that the driver never writes into buffers
    // this call has already given back.
    framework::UniqueKernelHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!done) {
        return false;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = done.Get();
    DWORD bytes = 0;
    BOOL ok = ::DeviceIoControl(device, code, const_cast<void*>(input), inputSize, output,
                                outputSize, &bytes, &overlapped);
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        ok = ::GetOverlappedResult(device, &overlapped, &bytes, TRUE);
    }
    if (!ok) {
        return false;
    }
    returned = std::min(bytes, outputSize);
    return true;
}

} // namespace hardware
