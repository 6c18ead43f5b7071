// The fixture of the tests of the emulator's powrprof.dll: the library loaded by name as the
// suite loads it, sample records, and schemes 40..44 removed and the active scheme, last id and
// global policy put back around every test.
#pragma once

#include <cwchar>
#include <string>
#include <vector>

#include "EmulatorTestSupport.h"
#include "PowerSchemeLayout.h"

namespace powrprof_test {

using namespace emulator_test;
using namespace emulator::power;

inline constexpr UINT kScheme = 40; // schemes 40..44 belong to these tests
inline constexpr UINT kOtherScheme = 41;
inline constexpr LONG kStatusSuccess = 0;
inline constexpr LONG kStatusInvalidParameter = static_cast<LONG>(0xC000000D);
inline constexpr LONG kStatusBufferTooSmall = static_cast<LONG>(0xC0000023);
inline constexpr LONG kStatusNotSupported = static_cast<LONG>(0xC00000BB);

struct PowerLibrary : LoadedLibrary {
    PowerLibrary() : LoadedLibrary("powrprof.dll") {}

    decltype(&::CallNtPowerInformation) CallNtPowerInformation =
        Get<decltype(&::CallNtPowerInformation)>("CallNtPowerInformation");
    decltype(&::CanUserWritePwrScheme) CanUserWritePwrScheme =
        Get<decltype(&::CanUserWritePwrScheme)>("CanUserWritePwrScheme");
    decltype(&::DeletePwrScheme) DeletePwrScheme =
        Get<decltype(&::DeletePwrScheme)>("DeletePwrScheme");
    BOOLEAN(WINAPI* EnumPwrSchemes)
    (WidePwrSchemesEnumProc,
     LPARAM) = Get<BOOLEAN(WINAPI*)(WidePwrSchemesEnumProc, LPARAM)>("EnumPwrSchemes");
    decltype(&::GetActivePwrScheme) GetActivePwrScheme =
        Get<decltype(&::GetActivePwrScheme)>("GetActivePwrScheme");
    decltype(&::GetCurrentPowerPolicies) GetCurrentPowerPolicies =
        Get<decltype(&::GetCurrentPowerPolicies)>("GetCurrentPowerPolicies");
    decltype(&::GetPwrCapabilities) GetPwrCapabilities =
        Get<decltype(&::GetPwrCapabilities)>("GetPwrCapabilities");
    decltype(&::GetPwrDiskSpindownRange) GetPwrDiskSpindownRange =
        Get<decltype(&::GetPwrDiskSpindownRange)>("GetPwrDiskSpindownRange");
    decltype(&::IsPwrHibernateAllowed) IsPwrHibernateAllowed =
        Get<decltype(&::IsPwrHibernateAllowed)>("IsPwrHibernateAllowed");
    decltype(&::ReadGlobalPwrPolicy) ReadGlobalPwrPolicy =
        Get<decltype(&::ReadGlobalPwrPolicy)>("ReadGlobalPwrPolicy");
    decltype(&::ReadProcessorPwrScheme) ReadProcessorPwrScheme =
        Get<decltype(&::ReadProcessorPwrScheme)>("ReadProcessorPwrScheme");
    decltype(&::ReadPwrScheme) ReadPwrScheme = Get<decltype(&::ReadPwrScheme)>("ReadPwrScheme");
    decltype(&::SetActivePwrScheme) SetActivePwrScheme =
        Get<decltype(&::SetActivePwrScheme)>("SetActivePwrScheme");
    decltype(&::SetSuspendState) SetSuspendState =
        Get<decltype(&::SetSuspendState)>("SetSuspendState");
    decltype(&::WriteGlobalPwrPolicy) WriteGlobalPwrPolicy =
        Get<decltype(&::WriteGlobalPwrPolicy)>("WriteGlobalPwrPolicy");
    decltype(&::WriteProcessorPwrScheme) WriteProcessorPwrScheme =
        Get<decltype(&::WriteProcessorPwrScheme)>("WriteProcessorPwrScheme");
    BOOLEAN(WINAPI* WritePwrScheme)
    (PUINT, LPWSTR, LPWSTR,
     PPOWER_POLICY) = Get<BOOLEAN(WINAPI*)(PUINT, LPWSTR, LPWSTR, PPOWER_POLICY)>("WritePwrScheme");
};

inline POWER_POLICY SamplePolicy(ULONG seed) {
    POWER_POLICY p{};
    p.user.Revision = 1;
    p.user.IdleAc.Action = PowerActionSleep;
    p.user.IdleTimeoutAc = 900 + seed;
    p.user.IdleTimeoutDc = 300 + seed;
    p.user.VideoTimeoutAc = 600 + seed;
    p.user.SpindownTimeoutDc = 180 + seed;
    p.user.MaxSleepAc = PowerSystemSleeping3;
    p.user.ForcedThrottleAc = 100;
    p.mach.Revision = 1;
    p.mach.DozeS4TimeoutAc = 2700 + seed;
    p.mach.MinThrottleAc = 25;
    return p;
}

inline MACHINE_PROCESSOR_POWER_POLICY SampleProcessorPolicy(BYTE throttle) {
    MACHINE_PROCESSOR_POWER_POLICY p{};
    p.Revision = 1;
    for (PROCESSOR_POWER_POLICY* half : {&p.ProcessorPolicyAc, &p.ProcessorPolicyDc}) {
        half->Revision = 1;
        half->DynamicThrottle = throttle;
        half->PolicyCount = 3;
        half->Policy[1].DemotePercent = 40;
        half->Policy[1].PromotePercent = 60;
        half->Policy[1].AllowDemotion = 1;
    }
    return p;
}

struct Listed {
    std::vector<UINT> ids;
    std::vector<std::wstring> names;
};

inline BOOLEAN CALLBACK Collect(UINT id, DWORD nameBytes, LPWSTR name, DWORD, LPWSTR, PPOWER_POLICY policy,
                         LPARAM context) {
    auto* out = reinterpret_cast<Listed*>(context);
    EXPECT_EQ(nameBytes, (std::wcslen(name) + 1) * sizeof(wchar_t));
    EXPECT_EQ(policy->user.Revision, 1u);
    out->ids.push_back(id);
    out->names.emplace_back(name);
    return TRUE;
}

inline BOOLEAN CALLBACK CountAndStop(UINT, DWORD, LPWSTR, DWORD, LPWSTR, PPOWER_POLICY, LPARAM context) {
    ++*reinterpret_cast<int*>(context);
    return FALSE;
}

inline void RemoveScheme(UINT id) {
    for (auto [root, base] : {std::pair{HKEY_CURRENT_USER, kUserSchemes},
                              std::pair{HKEY_LOCAL_MACHINE, kMachineSchemes},
                              std::pair{HKEY_LOCAL_MACHINE, kMachineProcessor}}) {
        ::RegDeleteKeyA(root, SchemeKey(base, id).c_str());
    }
}

class PowrProfTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMachineState();
        active_ = ReadValue(HKEY_CURRENT_USER, kUserPowerCfg, kCurrentPolicyValue);
        lastId_ = ReadValue(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kLastIdValue);
        userGlobal_ = ReadValue(HKEY_CURRENT_USER, kUserGlobal, kPoliciesValue);
        for (UINT id = kScheme; id < kScheme + 5; ++id) {
            RemoveScheme(id);
        }
        ASSERT_TRUE(api_.module);
    }

    void TearDown() override {
        Restore(HKEY_CURRENT_USER, kUserPowerCfg, kCurrentPolicyValue, active_);
        Restore(HKEY_LOCAL_MACHINE, kMachinePowerCfg, kLastIdValue, lastId_);
        Restore(HKEY_CURRENT_USER, kUserGlobal, kPoliciesValue, userGlobal_);
        for (UINT id = kScheme; id < kScheme + 5; ++id) {
            RemoveScheme(id);
        }
        ResetMachineState();
    }

    static void Restore(HKEY root, const char* path, const char* name, const RawValue& value) {
        if (value.found) {
            PutValue(root, path, name, value.type, value.data.data(),
                     static_cast<DWORD>(value.data.size()));
        }
    }

    void WriteScheme(UINT id, ULONG seed = 0) {
        UINT target = id;
        POWER_POLICY policy = SamplePolicy(seed);
        wchar_t name[] = L"Test Scheme";
        wchar_t description[] = L"Written by a test";
        ASSERT_TRUE(api_.WritePwrScheme(&target, name, description, &policy));
    }

    PowerLibrary api_;
    RawValue active_;
    RawValue lastId_;
    RawValue userGlobal_;
};

} // namespace powrprof_test
