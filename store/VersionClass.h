// Classification of the running Windows version into the small numbers the suite tests.
#pragma once

#include <cstdint>
#include <string_view>

namespace store {

inline constexpr int kWindows95 = 1;
inline constexpr int kWindows95Osr2 = 2;
inline constexpr int kWindows98 = 3;
inline constexpr int kWindows98Se = 4;
inline constexpr int kWindowsMe = 5;
inline constexpr int kWindows2000 = 6;
inline constexpr int kWindowsXp = 7;
inline constexpr int kWindowsNt4OrOlder = 0;
inline constexpr int kWindowsUnknown = -1;

// Platform ids as the version record reports them.
inline constexpr std::uint32_t kPlatformWin32s = 0;
inline constexpr std::uint32_t kPlatform9x = 1;
inline constexpr std::uint32_t kPlatformNt = 2;

// servicePack is the service-pack text up to its terminator; only its second character
// matters, and text shorter than two characters has none.
int ClassifyWindowsVersion(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                           std::string_view servicePack);

// Windows NT 6.0 (Vista) and later apply the power-scheme interface, not the XP records.
bool UsesSchemeInterface(std::uint32_t platformId, std::uint32_t major);

} // namespace store
