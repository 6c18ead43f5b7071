#include "BatteryDevice.h"

#include <setupapi.h>

#include <algorithm>
#include <memory>
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

namespace {

// A request's own copy of its buffers and its event. When the driver does not answer in time
// the request is abandoned to this block, which is then never freed: the driver may still
// write into it, but never into the caller's buffers.
struct PendingControl {
    OVERLAPPED overlapped{};
    framework::UniqueKernelHandle done;
    std::vector<unsigned char> input;
    std::vector<unsigned char> output;
};

} // namespace

bool SystemBatteryDevice::Control(HANDLE device, DWORD code, const void* input, DWORD inputSize,
                                  void* output, DWORD outputSize, DWORD& returned) const {
    returned = 0;
    // The battery is opened for overlapped I/O, and a query may be held by the driver (the tag
    // query up to 200 ms, a status query that waits for a change up to a second).
    auto request = std::make_unique<PendingControl>();
    request->done.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!request->done) {
        return false;
    }
    request->overlapped.hEvent = request->done.Get();
    const auto* in = static_cast<const unsigned char*>(input);
    request->input.assign(in, in + (input != nullptr ? inputSize : 0));
    request->output.assign(output != nullptr ? outputSize : 0, 0);
    DWORD bytes = 0;
    BOOL ok = ::DeviceIoControl(device, code, request->input.data(), inputSize,
                                request->output.data(), outputSize, &bytes, &request->overlapped);
    if (!ok && ::GetLastError() == ERROR_IO_PENDING) {
        // A hung driver host must not hang the program: give up after a bound, cancel, and
        // leave the buffers to the request if even the cancel is not answered.
        if (::WaitForSingleObject(request->done.Get(), kControlTimeoutMs) != WAIT_OBJECT_0) {
            ::CancelIo(device);
            if (::WaitForSingleObject(request->done.Get(), kCancelTimeoutMs) != WAIT_OBJECT_0) {
                request.release();
                ::SetLastError(ERROR_TIMEOUT);
                return false;
            }
        }
        ok = ::GetOverlappedResult(device, &request->overlapped, &bytes, FALSE);
    }
    if (!ok) {
        return false;
    }
    returned = std::min(bytes, outputSize);
    if (returned > 0) {
        std::copy_n(request->output.data(), returned, static_cast<unsigned char*>(output));
    }
    return true;
}

} // namespace hardware
