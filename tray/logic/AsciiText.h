// Text compared the way the tray's fixed words are: case-insensitive for ASCII letters only,
// whatever the user's code page.
#pragma once

#include <string_view>

namespace tray {

bool SameTextIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace tray
