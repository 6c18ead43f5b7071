// Texts of the battery meter: the state words of a battery and the format of its bar.
#pragma once

#include <cstdint>
#include <string>

namespace applet {

// BATTERY_STATUS power-state bits.
inline constexpr std::uint32_t kBatteryOnLine = 1;
inline constexpr std::uint32_t kBatteryDischarging = 2;
inline constexpr std::uint32_t kBatteryCharging = 4;
inline constexpr std::uint32_t kBatteryCritical = 8;

struct BatteryWords {
    std::string onLine;          // "On Line"
    std::string discharging;     // "Discharging"
    std::string charging;        // "Charging"
    std::string critical;        // "Critical"
    std::string separator = ","; // between words: the language's list separator
};

// The words of the set bits in the order on line, discharging, charging, critical, joined by
// the separator; empty when no bit is set.
std::string BatteryStateText(std::uint32_t powerState, const BatteryWords& words);

// The bar's format: the language's text ("%s:%d%%") with the state text for "%s", or the
// percentage alone. The state text is escaped, so a '%' in a translation cannot act as a
// conversion; a text without "%s" keeps the state in front, as English has it.
std::string BatteryBarFormat(const std::string& stateText, const std::string& barText = "%s:%d%%");

} // namespace applet
