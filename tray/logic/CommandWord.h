// The tray's command line: only the first plain parameter (not a "/" or "-" flag) counts, and
// the exact word "Close" selects the removal run.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tray {

inline constexpr char kCloseWord[] = "Close";

// `parameters` are the arguments after the program name; empty text when there is none.
std::string FirstPlainParameter(std::span<const char* const> parameters);

// Byte for byte: "close" or "CLOSE" start the tray instead.
bool IsRemovalRun(std::string_view firstPlainParameter);

} // namespace tray
