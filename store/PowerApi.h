// The Windows XP power-management library, bound by name for one operation. Every entry
// point may be missing (older systems, a partial replacement library); its forwarder then
// reports failure and calls nothing.
#pragma once

#include "PowerPolicyTypes.h"

#include <array>

#include "../framework/UniqueHandle.h"

namespace store {

inline constexpr char kPowerLibrary[] = "powrprof.dll";

// What the forwarder of CallNtPowerInformation reports when it cannot call.
inline constexpr LONG kStatusNotImplemented = static_cast<LONG>(0xC0000002);

// The bound entry points, in the order they are looked up.
enum class PowerEntry {
    CallNtPowerInformation,
    ReadGlobalPwrPolicy,
    GetActivePwrScheme,
    SetActivePwrScheme,
    WritePwrScheme,
    GetPwrCapabilities,
    ReadProcessorPwrScheme,
    WriteProcessorPwrScheme,
    DeletePwrScheme,
    GetCurrentPowerPolicies,
    IsPwrHibernateAllowed,
    SetSuspendState,
    CanUserWritePwrScheme,
    Count
};

class PowerApi {
public:
    explicit PowerApi(const char* libraryName = kPowerLibrary);

    // The bound pointers belong to the module this object owns; neither may outlive it.
    PowerApi(const PowerApi&) = delete;
    PowerApi& operator=(const PowerApi&) = delete;

    bool Loaded() const { return static_cast<bool>(module_); }
    bool Has(PowerEntry entry) const;

    // Arguments pass through unchanged. The BOOLEAN forwarders report the low byte of the
    // library's result; CallNtPowerInformation reports the status code as returned.
    LONG CallNtPowerInformation(POWER_INFORMATION_LEVEL level, PVOID input, ULONG inputSize,
                                PVOID output, ULONG outputSize);
    bool GetActivePwrScheme(PUINT scheme);
    bool SetActivePwrScheme(UINT scheme, PGLOBAL_POWER_POLICY global, PPOWER_POLICY policy);
    // The library keeps scheme names in UTF-16 whatever the caller's own text is; the
    // platform header's narrow declaration does not match what the library reads.
    bool WritePwrScheme(PUINT scheme, LPWSTR name, LPWSTR description, PPOWER_POLICY policy);
    bool GetPwrCapabilities(PSYSTEM_POWER_CAPABILITIES capabilities);
    bool ReadProcessorPwrScheme(UINT scheme, PMACHINE_PROCESSOR_POWER_POLICY policy);
    bool WriteProcessorPwrScheme(UINT scheme, PMACHINE_PROCESSOR_POWER_POLICY policy);
    bool DeletePwrScheme(UINT scheme);
    bool GetCurrentPowerPolicies(PGLOBAL_POWER_POLICY global, PPOWER_POLICY policy);
    bool IsPwrHibernateAllowed();
    bool SetSuspendState(BOOLEAN hibernate, BOOLEAN forceCritical, BOOLEAN disableWakeEvent);
    bool CanUserWritePwrScheme();

private:
    using AnyProc = void (*)();

    template <typename Fn>
    Fn Proc(PowerEntry entry) const {
        // A pointer to void() is the neutral type GetProcAddress results are kept in; the
        // real signature comes back from the platform's own declaration.
        return reinterpret_cast<Fn>(procs_[static_cast<std::size_t>(entry)]);
    }

    framework::UniqueModule module_;
    std::array<AnyProc, static_cast<std::size_t>(PowerEntry::Count)> procs_{};
};

} // namespace store
