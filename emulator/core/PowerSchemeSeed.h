// The power schemes a fresh prefix lacks: Wine keeps no XP power schemes, so the emulator
// provides a realistic set (schemes 0 to 5, LastID "5", the global policies, the active
// scheme). Only what is missing is written; a scheme a person or a program changed stays.
#pragma once

#include <windows.h>

namespace emulator {

inline constexpr UINT kSeedSchemeCount = 6;
inline constexpr UINT kSeedActiveScheme = 1;

struct SeedResult {
    LONG status = ERROR_SUCCESS; // the first failed write, if any
    unsigned written = 0;        // values written
};

SeedResult SeedPowerSchemes();

// The journal line of a seed: "TRUE written=N", or the first failure before it.
void JournalSeed(const char* function, const SeedResult& result);

} // namespace emulator
