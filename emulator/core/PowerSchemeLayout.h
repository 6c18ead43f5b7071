// Where the Windows XP power manager keeps its schemes, and the records it keeps there.
#pragma once

#include <windows.h>

// mingw-w64 declares the two scheme functions that take text with LPTSTR, which is narrow in
// this build; the system library takes UTF-16 text. Their declarations are replaced below.
#define WritePwrScheme WritePwrScheme_NarrowDeclaration
#define EnumPwrSchemes EnumPwrSchemes_NarrowDeclaration
#include <powrprof.h>
#undef WritePwrScheme
#undef EnumPwrSchemes

#include <string>

typedef BOOLEAN(CALLBACK* WidePwrSchemesEnumProc)(UINT id, DWORD nameBytes, LPWSTR name,
                                                  DWORD descriptionBytes, LPWSTR description,
                                                  PPOWER_POLICY policy, LPARAM context);

static_assert(sizeof(USER_POWER_POLICY) == 80);
static_assert(sizeof(MACHINE_POWER_POLICY) == 64);
static_assert(sizeof(GLOBAL_USER_POWER_POLICY) == 176);
static_assert(sizeof(GLOBAL_MACHINE_POWER_POLICY) == 16);
static_assert(sizeof(MACHINE_PROCESSOR_POWER_POLICY) == 156);

namespace emulator::power {

// HKEY_CURRENT_USER
inline constexpr char kUserPowerCfg[] = "Control Panel\\PowerCfg";
inline constexpr char kUserSchemes[] = "Control Panel\\PowerCfg\\PowerPolicies";
inline constexpr char kUserGlobal[] = "Control Panel\\PowerCfg\\GlobalPowerPolicy";
// HKEY_LOCAL_MACHINE
inline constexpr char kMachinePowerCfg[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\PowerCfg";
inline constexpr char kMachineSchemes[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\PowerCfg\\PowerPolicies";
inline constexpr char kMachineProcessor[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\PowerCfg\\ProcessorPolicies";
inline constexpr char kMachineGlobal[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\PowerCfg\\GlobalPowerPolicy";

inline constexpr char kPoliciesValue[] = "Policies";
inline constexpr char kCurrentPolicyValue[] = "CurrentPowerPolicy"; // user PowerCfg, REG_SZ
inline constexpr char kLastIdValue[] = "LastID";                    // machine PowerCfg, REG_SZ
inline constexpr char kSpinDownMaxValue[] = "DiskSpinDownMax";      // machine PowerCfg, REG_SZ
inline constexpr char kSpinDownMinValue[] = "DiskSpinDownMin";
inline constexpr wchar_t kNameValue[] = L"Name";
inline constexpr wchar_t kDescriptionValue[] = L"Description";

inline std::string SchemeKey(const char* base, UINT id) {
    return std::string(base) + "\\" + std::to_string(id);
}

} // namespace emulator::power
