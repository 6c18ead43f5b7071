// The fixture of the Vista scheme tests: the emulator's powrprof.dll loaded by name, the
// Windows scheme layout removed before and after each test (the next call seeds it afresh),
// and the calls a caller of the interface makes most.
#pragma once

#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600 // the SDK declares the Vista functions for Vista targets only
#include <windows.h>
#include <powrprof.h>

#include <cstdio>
#include <string>
#include <vector>

#include "EmulatorTestSupport.h"

namespace emulator_test {

inline constexpr char kPowerSchemes[] =
    "SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes";
inline constexpr char kPowerSettings[] = "SYSTEM\\CurrentControlSet\\Control\\Power\\PowerSettings";
inline constexpr char kBalancedKey[] = "381b4222-f694-41f0-9685-ff5bb260df2e";

inline constexpr GUID kBalanced = {
    0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};
inline constexpr GUID kHighPerformance = {
    0x8C5E7FDA, 0xE8BF, 0x4A96, {0x9A, 0x85, 0xA6, 0xE2, 0x3A, 0x8C, 0x63, 0x5C}};
inline constexpr GUID kPowerSaver = {
    0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}};
inline constexpr GUID kUnknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
// The video subgroup and its time-out, as winnt.h has them.
inline constexpr GUID kVideo = {
    0x7516B95F, 0xF776, 0x4464, {0x8C, 0x53, 0x06, 0x16, 0x7F, 0x40, 0xCC, 0x99}};
inline constexpr GUID kVideoTimeout = {
    0x3C0BC021, 0xC8A8, 0x4E07, {0xA9, 0x73, 0x6B, 0x14, 0xCB, 0xCB, 0x2B, 0x7E}};

inline bool SameGuid(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct VistaPower : LoadedLibrary {
    VistaPower() : LoadedLibrary("powrprof.dll") {}

#define VISTA_POWER_FUNCTION(name)                                                                 \
    decltype(&::Power##name) name = Get<decltype(&::Power##name)>("Power" #name)
    VISTA_POWER_FUNCTION(Enumerate);
    VISTA_POWER_FUNCTION(ReadFriendlyName);
    VISTA_POWER_FUNCTION(WriteFriendlyName);
    VISTA_POWER_FUNCTION(ReadDescription);
    VISTA_POWER_FUNCTION(WriteDescription);
    VISTA_POWER_FUNCTION(GetActiveScheme);
    VISTA_POWER_FUNCTION(SetActiveScheme);
    VISTA_POWER_FUNCTION(SettingAccessCheck);
    VISTA_POWER_FUNCTION(DuplicateScheme);
    VISTA_POWER_FUNCTION(DeleteScheme);
    VISTA_POWER_FUNCTION(ReadACValueIndex);
    VISTA_POWER_FUNCTION(ReadDCValueIndex);
    VISTA_POWER_FUNCTION(WriteACValueIndex);
    VISTA_POWER_FUNCTION(WriteDCValueIndex);
#undef VISTA_POWER_FUNCTION
};

inline void RemoveSchemeLayout() {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPowerSchemes);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPowerSettings);
}

// The GUID as Windows names its key: lower case, no braces.
inline std::string KeyName(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

inline std::string SchemeKey(const GUID& scheme) {
    return std::string(kPowerSchemes) + "\\" + KeyName(scheme);
}

class VistaPowerTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveSchemeLayout();
        ResetMachineState();
        ASSERT_TRUE(power_.module);
    }
    void TearDown() override {
        RemoveSchemeLayout();
        ResetMachineState();
    }

    // The switcher's walk: index 0, 1, ... until the first non-zero result.
    std::vector<GUID> Enumerate(POWER_DATA_ACCESSOR access = ACCESS_SCHEME,
                                const GUID* scheme = nullptr, const GUID* subgroup = nullptr) {
        std::vector<GUID> found;
        for (ULONG index = 0;; ++index) {
            GUID guid{};
            DWORD size = sizeof guid;
            if (power_.Enumerate(nullptr, scheme, subgroup, access, index,
                                 reinterpret_cast<UCHAR*>(&guid), &size) != ERROR_SUCCESS) {
                break;
            }
            EXPECT_EQ(size, sizeof guid);
            found.push_back(guid);
        }
        return found;
    }

    std::wstring Name(const GUID& scheme, DWORD* status = nullptr) {
        wchar_t buffer[1024] = {};
        DWORD size = sizeof buffer;
        const DWORD result = power_.ReadFriendlyName(nullptr, &scheme, nullptr, nullptr,
                                                     reinterpret_cast<UCHAR*>(buffer), &size);
        if (status != nullptr) {
            *status = result;
        }
        return buffer;
    }

    DWORD WriteName(const GUID& scheme, const std::wstring& name) {
        return power_.WriteFriendlyName(
            nullptr, &scheme, nullptr, nullptr,
            reinterpret_cast<UCHAR*>(const_cast<wchar_t*>(name.c_str())),
            static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
    }

    GUID Active() {
        GUID* active = nullptr;
        EXPECT_EQ(power_.GetActiveScheme(nullptr, &active), ERROR_SUCCESS);
        if (active == nullptr) {
            return GUID{};
        }
        EXPECT_EQ(::LocalSize(active), sizeof(GUID));
        const GUID copy = *active;
        EXPECT_EQ(::LocalFree(active), nullptr);
        return copy;
    }

    // A copy of Balanced under a new GUID the power manager allocates.
    GUID Duplicate(const GUID& source = kBalanced) {
        GUID* made = nullptr;
        EXPECT_EQ(power_.DuplicateScheme(nullptr, &source, &made), ERROR_SUCCESS);
        if (made == nullptr) {
            return GUID{};
        }
        EXPECT_EQ(::LocalSize(made), sizeof(GUID));
        const GUID copy = *made;
        ::LocalFree(made);
        return copy;
    }

    DWORD ReadAc(const GUID& scheme, const GUID& subgroup, const GUID& setting, DWORD& value) {
        return power_.ReadACValueIndex(nullptr, &scheme, &subgroup, &setting, &value);
    }

    VistaPower power_;
};

} // namespace emulator_test
