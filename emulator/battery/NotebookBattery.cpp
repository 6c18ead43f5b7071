// NotebookBattery.sys: the emulated notebook's battery bays as devices of the Windows battery
// class. Each bay is a root-enumerated device (ROOT\NOTEBOOKBATTERY\0000 for the first, 0001
// for the second); the driver registers the battery interface on it and answers the battery
// class's control codes from the power-supply tree named by the service's
// Parameters\PowerSupplyDir (Linux's /sys/class/power_supply when none is named), read afresh
// at every request. Every request is written to the notebook's call journal.
//
// It runs in Wine's driver host, where requests are handled one at a time, but Plug and Play
// removal comes from the host's service thread while a request may be running: a remove lock
// keeps the device until that request is done. Nothing it reads can make it fail a request
// other than with a status.
#include "KernelHeaders.h"

#include <poclass.h>

#include "BatteryRequests.h"
#include "KernelFiles.h"

namespace {

// {72631E54-78A4-11D0-BCF7-00AA00B7B32A}
const GUID kBatteryInterfaceClass = {
    0x72631E54, 0x78A4, 0x11D0, {0xBC, 0xF7, 0x00, 0xAA, 0x00, 0xB7, 0xB3, 0x2A}};

static_assert(sizeof(BATTERY_INFORMATION) == sizeof(battery::InformationRecord));
static_assert(sizeof(BATTERY_STATUS) == sizeof(battery::StatusRecord));
static_assert(sizeof(BATTERY_WAIT_STATUS) == sizeof(battery::WaitStatusRecord));
static_assert(sizeof(BATTERY_QUERY_INFORMATION) == sizeof(battery::QueryInformationRecord));
static_assert(sizeof(BATTERY_REPORTING_SCALE) == sizeof(battery::ReportingScale));
static_assert(sizeof(BATTERY_MANUFACTURE_DATE) == sizeof(battery::ManufactureDateRecord));
static_assert(IOCTL_BATTERY_QUERY_TAG == battery::kIoctlQueryTag);
static_assert(IOCTL_BATTERY_QUERY_INFORMATION == battery::kIoctlQueryInformation);
static_assert(IOCTL_BATTERY_QUERY_STATUS == battery::kIoctlQueryStatus);

static_assert(sizeof(IO_REMOVE_LOCK) == sizeof(IO_REMOVE_LOCK_COMMON_BLOCK),
              "Wine's kernel implements only the free build's remove lock");

struct BayDevice {
    DEVICE_OBJECT* lower;
    UNICODE_STRING interfaceName;
    unsigned bay;
    battery::BayMemory memory;
    IO_REMOVE_LOCK removeLock;
    volatile LONG leaving; // set at removal: a waiting request gives up at once
};

// What the driver keeps for all its devices. It would live in the driver object's extension,
// which Wine's kernel does not give out; a driver is loaded once, so one for the file it is.
struct DriverState {
    unsigned arrivals;
};
DriverState g_driver;

BayDevice* Bay(DEVICE_OBJECT* device) {
    return static_cast<BayDevice*>(device->DeviceExtension);
}

NTSTATUS Complete(IRP* irp, NTSTATUS status, ULONG_PTR information = 0) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

NTSTATUS NTAPI Resume(DEVICE_OBJECT*, IRP*, void* done) {
    KeSetEvent(static_cast<KEVENT*>(done), IO_NO_INCREMENT, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED; // the request is ours again
}

// Sends the request down and waits until the device below has completed it.
NTSTATUS ForwardAndWait(BayDevice* bay, IRP* irp) {
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IoCopyCurrentIrpStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, Resume, &done, TRUE, TRUE, TRUE);
    if (IoCallDriver(bay->lower, irp) == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
    }
    return irp->IoStatus.Status;
}

NTSTATUS PassDown(BayDevice* bay, IRP* irp) {
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(bay->lower, irp);
}

// The bay is the instance number of the device: "0000" is the first, "0001" the second.
bool InstanceBay(DEVICE_OBJECT* pdo, unsigned& bay) {
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IO_STATUS_BLOCK result{};
    IRP* irp = IoBuildSynchronousFsdRequest(IRP_MJ_PNP, pdo, nullptr, 0, nullptr, &done, &result);
    if (irp == nullptr) {
        return false;
    }
    irp->IoStatus.Status = STATUS_NOT_SUPPORTED;
    IO_STACK_LOCATION* next = IoGetNextIrpStackLocation(irp);
    next->MinorFunction = IRP_MN_QUERY_ID;
    next->Parameters.QueryId.IdType = BusQueryInstanceID;
    NTSTATUS status = IoCallDriver(pdo, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
        status = result.Status;
    }
    auto* id = reinterpret_cast<WCHAR*>(result.Information);
    if (!NT_SUCCESS(status) || id == nullptr) {
        return false;
    }
    unsigned number = 0;
    bool digits = id[0] != 0;
    for (const WCHAR* c = id; *c != 0; ++c) {
        if (*c < L'0' || *c > L'9' || number > 1000) {
            digits = false;
            break;
        }
        number = number * 10 + (*c - L'0');
    }
    ExFreePool(id);
    bay = number;
    return digits;
}

NTSTATUS NTAPI AddDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* pdo) {
    // Without an instance number the bays are taken in the order they arrive.
    unsigned bay = g_driver.arrivals;
    if (!InstanceBay(pdo, bay)) {
        bay = g_driver.arrivals;
    }
    ++g_driver.arrivals;

    DEVICE_OBJECT* device = nullptr;
    NTSTATUS status = IoCreateDevice(driver, sizeof(BayDevice), nullptr, FILE_DEVICE_BATTERY,
                                     FILE_DEVICE_SECURE_OPEN, FALSE, &device);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    BayDevice* state = Bay(device);
    RtlZeroMemory(state, sizeof *state);
    state->bay = bay;
    state->memory = battery::BayMemory{};
    IoInitializeRemoveLock(&state->removeLock, 0, 0, 0);
    state->lower = IoAttachDeviceToDeviceStack(device, pdo);
    if (state->lower == nullptr) {
        IoDeleteDevice(device);
        return STATUS_NO_SUCH_DEVICE;
    }
    status =
        IoRegisterDeviceInterface(pdo, &kBatteryInterfaceClass, nullptr, &state->interfaceName);
    if (!NT_SUCCESS(status)) {
        IoDetachDevice(state->lower);
        IoDeleteDevice(device);
        return status;
    }
    device->Flags |= DO_BUFFERED_IO;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

NTSTATUS NTAPI Pnp(DEVICE_OBJECT* device, IRP* irp) {
    BayDevice* bay = Bay(device);
    const IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE: {
        // The bus starts the device first; then the interface is opened to programs.
        NTSTATUS status = ForwardAndWait(bay, irp);
        if (NT_SUCCESS(status)) {
            status = IoSetDeviceInterfaceState(&bay->interfaceName, TRUE);
        }
        return Complete(irp, status);
    }
    case IRP_MN_SURPRISE_REMOVAL:
        InterlockedExchange(&bay->leaving, 1);
        IoSetDeviceInterfaceState(&bay->interfaceName, FALSE);
        irp->IoStatus.Status = STATUS_SUCCESS;
        return PassDown(bay, irp);
    case IRP_MN_REMOVE_DEVICE: {
        // A request still running keeps the device: waits end early, new requests are
        // refused, and the device goes only when the last one has finished with it.
        InterlockedExchange(&bay->leaving, 1);
        IoSetDeviceInterfaceState(&bay->interfaceName, FALSE);
        if (NT_SUCCESS(IoAcquireRemoveLock(&bay->removeLock, nullptr))) {
            IoReleaseRemoveLockAndWait(&bay->removeLock, nullptr);
        }
        irp->IoStatus.Status = STATUS_SUCCESS;
        DEVICE_OBJECT* lower = bay->lower;
        const NTSTATUS status = PassDown(bay, irp);
        IoDetachDevice(lower);
        RtlFreeUnicodeString(&bay->interfaceName);
        IoDeleteDevice(device);
        return status;
    }
    default:
        return PassDown(bay, irp);
    }
}

NTSTATUS NTAPI Power(DEVICE_OBJECT* device, IRP* irp) {
    PoStartNextPowerIrp(irp);
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(Bay(device)->lower, irp);
}

NTSTATUS NTAPI OpenClose(DEVICE_OBJECT*, IRP* irp) {
    return Complete(irp, STATUS_SUCCESS);
}

battery::BayReadout ReadNow(unsigned bay) {
    kernel_files::PowerSupplyTree tree;
    const battery::SupplyTree access = tree.Access();
    return battery::ReadBay(access, bay, battery::ReadAcOnline(access));
}

// Reads the bay until `answerable` says the request can be answered, `holdMs` has passed or
// the bay is being removed; the last readout is the one answered from.
template <typename Answerable>
battery::BayReadout ReadUntil(BayDevice* bay, ULONG holdMs, Answerable answerable) {
    battery::BayReadout readout = ReadNow(bay->bay);
    for (ULONG waited = 0; waited < holdMs && bay->leaving == 0 && !answerable(readout);) {
        const ULONG step = holdMs - waited < battery::kPollMs ? holdMs - waited : battery::kPollMs;
        LARGE_INTEGER interval;
        interval.QuadPart = -10000LL * step;
        KeDelayExecutionThread(KernelMode, FALSE, &interval);
        waited += step;
        readout = ReadNow(bay->bay);
    }
    return readout;
}

NTSTATUS Serve(BayDevice* bay, IRP* irp) {
    const IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    const ULONG inputSize = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG outputSize = stack->Parameters.DeviceIoControl.OutputBufferLength;
    void* buffer = irp->AssociatedIrp.SystemBuffer;

    // Input and output share one buffer: keep the request before the answer overwrites it.
    unsigned char input[sizeof(battery::WaitStatusRecord)] = {};
    const ULONG kept =
        buffer != nullptr ? (inputSize < sizeof input ? inputSize : sizeof input) : 0;
    if (kept > 0) {
        RtlCopyMemory(input, buffer, kept);
    }
    const void* request = buffer != nullptr ? input : nullptr;

    // A tag query may wait for a battery to arrive, a status query for its status to change.
    battery::WaitStatusRecord statusWait{};
    if (code == battery::kIoctlQueryStatus && kept >= sizeof statusWait) {
        RtlCopyMemory(&statusWait, input, sizeof statusWait);
    }
    const ULONG holdMs = battery::HoldMs(code, request, kept);
    const battery::BayReadout readout = ReadUntil(bay, holdMs, [&](const battery::BayReadout& now) {
        if (code == battery::kIoctlQueryStatus) {
            return battery::StatusChanged(statusWait, battery::CurrentTag(bay->memory, now), now);
        }
        return code != battery::kIoctlQueryTag || now.present;
    });

    // Only the bytes kept travel on: the buffer now belongs to the answer.
    const battery::Reply reply = battery::Answer(code, bay->memory, readout, request, kept, buffer,
                                                 buffer != nullptr ? outputSize : 0);
    char arguments[256];
    char result[256];
    battery::DescribeRequest(code, bay->bay, request, kept, outputSize, arguments,
                             sizeof arguments);
    battery::DescribeReply(code, request, kept, reply, buffer, result, sizeof result);
    kernel_files::Journal(battery::RequestName(code), arguments, result);
    return Complete(irp, static_cast<NTSTATUS>(reply.status), reply.bytes);
}

NTSTATUS NTAPI DeviceControl(DEVICE_OBJECT* device, IRP* irp) {
    BayDevice* bay = Bay(device);
    // Removal may come while this request runs; the lock keeps the device until it is done.
    if (!NT_SUCCESS(IoAcquireRemoveLock(&bay->removeLock, nullptr))) {
        return Complete(irp, static_cast<NTSTATUS>(battery::kStatusNoSuchDevice));
    }
    const NTSTATUS status = Serve(bay, irp);
    IoReleaseRemoveLock(&bay->removeLock, nullptr);
    return status;
}

void NTAPI Unload(DRIVER_OBJECT*) {
    kernel_files::Forget();
}

} // namespace

extern "C" NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath) {
    g_driver = DriverState{};
    NTSTATUS status = kernel_files::Remember(registryPath);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = Unload;
    driver->MajorFunction[IRP_MJ_CREATE] = OpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = OpenClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = OpenClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DeviceControl;
    driver->MajorFunction[IRP_MJ_PNP] = Pnp;
    driver->MajorFunction[IRP_MJ_POWER] = Power;
    return STATUS_SUCCESS;
}
