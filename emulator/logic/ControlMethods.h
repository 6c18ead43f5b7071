// The firmware methods of Zelnor.dll over the machine state. A method is called either without
// an argument (ControlMethod) or with one (ControlMethodEx); each has the forms listed in
// ControlMethods.cpp, and any other code or form fails with kMethodFailed.
#pragma once

#include <cstdint>
#include <optional>

#include "MachineState.h"

namespace emulator {

inline constexpr int kMethodFailed = -1;

// The method's text name for the journal ("BCME", "EC0_.ATSI", "TKPE write"); nullptr for a
// code the firmware does not know.
const char* MethodName(std::uint32_t code);

int RunControlMethod(MachineState& state, std::uint32_t code,
                     std::optional<std::uint32_t> argument);

} // namespace emulator
