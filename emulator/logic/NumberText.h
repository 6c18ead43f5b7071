// Numbers kept as text: registry strings such as "LastID" and words typed by a person.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace emulator {

// Decimal digits only, as the power manager keeps scheme numbers; no sign, no blanks, no
// overflow of 32 bits.
std::optional<std::uint32_t> ParseDecimal(std::string_view text);

// Decimal or "0x" hexadecimal, surrounding blanks allowed.
std::optional<std::uint32_t> ParseNumber(std::string_view text);

std::string DecimalText(std::uint32_t value);

} // namespace emulator
