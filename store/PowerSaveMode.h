// One power save mode: settings for mains power (column 0) or for four battery bands.
#pragma once

#include <cstddef>
#include <cstdint>

namespace store {

inline constexpr int kColumns = 4;
inline constexpr int kTextSize = 200; // registry strings are read into 200-byte buffers
// The longest name a mode may have, in bytes of the ANSI code page.
inline constexpr std::size_t kModeNameLimit = 30;

struct PowerSaveMode {
    std::int32_t id = 0;
    std::uint32_t ACPlug_IN = 0;
    std::uint32_t CPU_Duty[kColumns] = {};
    std::uint32_t Brightnes[kColumns] = {};
    std::uint32_t Panel[kColumns] = {};
    std::uint32_t HDD[kColumns] = {};
    std::uint32_t Standby[kColumns] = {};
    std::uint32_t Hibernate[kColumns] = {};
    std::uint32_t DefaultScheme = 0;
    char NamePolicy[kTextSize] = {};
    char DescriptionPolicy[kTextSize] = {};
    char ICON[kTextSize] = {};
    char LinkedProgram[kTextSize] = {};
};

} // namespace store
