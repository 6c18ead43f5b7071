// The Vista power schemes of the emulated machine: a list a person or a test can set, and the
// active one.
//
//   HKLM\SOFTWARE\Notebook Emulator\VistaSchemes\{guid}   FriendlyName (REG_SZ)
//   HKLM\SOFTWARE\Notebook Emulator                      VistaActiveScheme (REG_SZ "{guid}")
//
// Without the VistaSchemes key the machine has the three usual schemes; with it, exactly the
// subkeys whose names are GUIDs (with or without braces), in the order of their names. A
// missing or unreadable active value reads as the balanced scheme.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace powrprof {

inline constexpr char kVistaSchemesKey[] = "SOFTWARE\\Notebook Emulator\\VistaSchemes";
inline constexpr wchar_t kVistaActiveSchemeValue[] = L"VistaActiveScheme";
inline constexpr wchar_t kFriendlyNameValue[] = L"FriendlyName";
// Flag of the machine state: whether the user may change the active scheme (default 1).
inline constexpr char kCanUserSetActiveSchemeValue[] = "CanUserSetActiveScheme";

// {381B4222-F694-41F0-9685-FF5BB260DF2E}, {8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C},
// {A1841308-3541-4FAB-BC81-F71556F20B4A}
extern const GUID kBalancedScheme;
extern const GUID kHighPerformanceScheme;
extern const GUID kPowerSaverScheme;

// "{381b4222-f694-41f0-9685-ff5bb260df2e}"
std::string GuidText(const GUID& guid);
// Thirty-two hex digits in the 8-4-4-4-12 pattern, braces optional, case ignored.
std::optional<GUID> ParseGuid(const std::string& text);

struct VistaScheme {
    GUID guid;
    std::string key; // registry path of the scheme's key; empty for a built-in default
};

std::vector<VistaScheme> ListVistaSchemes();
std::optional<VistaScheme> FindVistaScheme(const GUID& guid);

// The scheme's name; ERROR_FILE_NOT_FOUND without one, ERROR_INVALID_DATA for a damaged one.
LONG ReadFriendlyName(const VistaScheme& scheme, std::wstring& name);

GUID ActiveVistaScheme();
LONG WriteActiveVistaScheme(const GUID& guid);

bool UserMaySetActiveScheme();

} // namespace powrprof
