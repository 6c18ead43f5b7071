// Decimal numbers kept as registry text ("LastID", "DiskSpinDownMax", ...).
#pragma once

#include <optional>

namespace store {

// The value of text that is an optional sign and decimal digits, and fits in 32 bits signed;
// anything else (empty, spaces, letters, overflow) has no value.
std::optional<int> ParseDecimal(const char* text);

// The number a key named by an id carries ("0", "12", "1500"): digits only, no sign, no
// leading zero, fitting in 32 bits signed. "007", "-1", "+3" and "x" name no id.
std::optional<int> ParseKeyId(const char* name);

} // namespace store
