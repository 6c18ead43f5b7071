#include "BatteryBays.h"

#include <windows.h>

#include "framework/UniqueHandle.h"

namespace emulator {

namespace {

constexpr char kService[] = "NotebookBattery";
constexpr char kDriverFile[] = "NotebookBattery.sys";
constexpr char kEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum\\ROOT\\NOTEBOOKBATTERY";
constexpr char kParametersKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\NotebookBattery\\Parameters";
constexpr char kBatteryClass[] = "{72631E55-78A4-11D0-BCF7-00AA00B7B32A}";
constexpr char kHardwareId[] = "ROOT\\NotebookBattery\0"; // REG_MULTI_SZ
constexpr int kMaxSlots = 2;
// Wine's driver host looks for new and removed root devices of a driver on this control.
constexpr DWORD kReenumerateRootDevices = 128;

using UniqueService = framework::UniqueHandle<framework::NullHandleTraits<SC_HANDLE, ::CloseServiceHandle>>;

std::string SystemFolder() {
    char path[MAX_PATH] = {};
    const UINT size = ::GetSystemDirectoryA(path, MAX_PATH);
    return size > 0 && size < MAX_PATH ? std::string(path) : std::string("C:\\windows\\system32");
}

std::string DriverPath() { return SystemFolder() + "\\drivers\\" + kDriverFile; }

std::string Failure(const char* what, DWORD error) {
    return std::string(what) + " failed (error " + std::to_string(error) + ")";
}

LSTATUS SetString(HKEY key, const char* name, const std::string& value, DWORD type = REG_SZ) {
    return ::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
}

std::string SlotName(int slot) {
    char name[8];
    wsprintfA(name, "%04d", slot);
    return name;
}

int InstalledSlots() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnumKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0;
    }
    framework::UniqueKey owner(key);
    int slots = 0;
    while (slots < kMaxSlots) {
        HKEY slot = nullptr;
        if (::RegOpenKeyExA(key, SlotName(slots).c_str(), 0, KEY_READ, &slot) != ERROR_SUCCESS) {
            break;
        }
        ::RegCloseKey(slot);
        ++slots;
    }
    return slots;
}

// Creates the key, or opens it where it exists.
LSTATUS CreateKey(HKEY parent, const char* path, REGSAM access, framework::UniqueKey& key) {
    return ::RegCreateKeyExA(parent, path, 0, nullptr, 0, access, nullptr, key.Put(), nullptr);
}

// The device keys of the bays 0 .. slots-1; keys of bays beyond are removed.
LSTATUS WriteDevices(int slots) {
    framework::UniqueKey key;
    LSTATUS status = CreateKey(HKEY_LOCAL_MACHINE, kEnumKey, KEY_ALL_ACCESS, key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    for (int slot = 0; slot < kMaxSlots; ++slot) {
        const std::string name = SlotName(slot);
        if (slot >= slots) {
            ::RegDeleteKeyA(key.Get(), name.c_str());
            continue;
        }
        framework::UniqueKey deviceKey;
        if ((status = CreateKey(key.Get(), name.c_str(), KEY_ALL_ACCESS, deviceKey)) !=
            ERROR_SUCCESS) {
            return status;
        }
        const HKEY device = deviceKey.Get();
        const std::string description = "Notebook battery bay " + std::to_string(slot + 1);
        if ((status = SetString(device, "ClassGUID", kBatteryClass)) != ERROR_SUCCESS ||
            (status = SetString(device, "Service", kService)) != ERROR_SUCCESS ||
            (status = SetString(device, "DeviceDesc", description)) != ERROR_SUCCESS ||
            (status = ::RegSetValueExA(device, "HardwareID", 0, REG_MULTI_SZ,
                                       reinterpret_cast<const BYTE*>(kHardwareId),
                                       sizeof kHardwareId)) != ERROR_SUCCESS) {
            return status;
        }
    }
    return ERROR_SUCCESS;
}

LSTATUS WritePowerSupplyDir(const std::string& directory) {
    framework::UniqueKey key;
    const LSTATUS status = CreateKey(HKEY_LOCAL_MACHINE, kParametersKey, KEY_SET_VALUE, key);
    return status != ERROR_SUCCESS ? status : SetString(key.Get(), "PowerSupplyDir", directory);
}

// The service, made when missing; the devices are picked up by starting it, or by asking the
// running driver host to look again.
std::string StartService(SC_HANDLE manager) {
    UniqueService service(::OpenServiceA(manager, kService, SERVICE_ALL_ACCESS));
    if (!service) {
        service.Reset(::CreateServiceA(manager, kService, "Notebook battery bays",
                                       SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                       DriverPath().c_str(), nullptr, nullptr, nullptr, nullptr,
                                       nullptr));
        if (!service) {
            return Failure("creating the service NotebookBattery", ::GetLastError());
        }
    }
    SERVICE_STATUS status{};
    if (::QueryServiceStatus(service.Get(), &status) &&
        status.dwCurrentState == SERVICE_RUNNING) {
        if (!::ControlService(service.Get(), kReenumerateRootDevices, &status)) {
            return Failure("refreshing the battery bays", ::GetLastError());
        }
        return {};
    }
    if (!::StartServiceA(service.Get(), 0, nullptr) &&
        ::GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        return Failure("starting the battery driver", ::GetLastError());
    }
    return {};
}

} // namespace

BayResult InstallBatteryBays(const BayOptions& options) {
    if (::GetFileAttributesA(DriverPath().c_str()) == INVALID_FILE_ATTRIBUTES) {
        return {false, "no battery driver at " + DriverPath() +
                           ": the batteries read as Not Present"};
    }
    int slots = options.slots;
    if (slots == 0) {
        const int installed = InstalledSlots();
        slots = installed > 0 ? installed : 1;
    }
    if (slots < 1 || slots > kMaxSlots) {
        return {false, "a notebook has one or two battery bays, not " + std::to_string(slots)};
    }
    if (const LSTATUS status = WriteDevices(slots); status != ERROR_SUCCESS) {
        return {false, Failure("registering the battery bays", status)};
    }
    if (!options.powerSupplyDir.empty()) {
        if (const LSTATUS status = WritePowerSupplyDir(options.powerSupplyDir);
            status != ERROR_SUCCESS) {
            return {false, Failure("setting PowerSupplyDir", status)};
        }
    }
    UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        return {false, Failure("opening the service manager", ::GetLastError())};
    }
    const std::string failed = StartService(manager.Get());
    if (!failed.empty()) {
        return {false, failed};
    }
    return {true, std::to_string(slots) + (slots == 1 ? " battery bay" : " battery bays")};
}

BayResult RemoveBatteryBays() {
    // The devices go first, so that the running driver lets go of them and can be stopped; a
    // file still in use goes at the next restart.
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kEnumKey) + "\\" + SlotName(1)).c_str());
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kEnumKey) + "\\" + SlotName(0)).c_str());
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEnumKey);
    UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (manager) {
        UniqueService service(::OpenServiceA(manager.Get(), kService, SERVICE_ALL_ACCESS));
        if (service) {
            SERVICE_STATUS status{};
            ::ControlService(service.Get(), kReenumerateRootDevices, &status);
            // Without its devices the driver can be unloaded, which lets go of its file.
            ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
            ::DeleteService(service.Get());
        }
    }
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kParametersKey);
    const std::string driver = DriverPath();
    if (!::DeleteFileA(driver.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        ::MoveFileExA(driver.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    return {true, "battery bays removed"};
}

} // namespace emulator
