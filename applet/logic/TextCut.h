// Cutting text to a byte limit in the system's ANSI code page: a double-byte character is
// never split, so a cut text stays valid in that code page.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace applet {

// `isLeadByte` tells whether a byte starts a double-byte character of the code page.
std::string CutToBytes(const std::string& text, std::size_t maxBytes,
                       const std::function<bool(unsigned char)>& isLeadByte);

// The longest name a mode may have.
inline constexpr std::size_t kModeNameLimit = 30;

} // namespace applet
