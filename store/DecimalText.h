// Decimal numbers kept as registry text ("LastID", "DiskSpinDownMax", ...).
#pragma once

#include <optional>

namespace store {

// The value of text that is an optional sign and decimal digits, and fits in 32 bits signed;
// anything else (empty, spaces, letters, overflow) has no value.
std::optional<int> ParseDecimal(const char* text);

} // namespace store
