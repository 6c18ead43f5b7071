// A mode's icon reference, "file,index" (for instance "VoVOZI.dll,3").
#pragma once

#include <string>
#include <string_view>

namespace tray {

struct IconReference {
    std::string file; // empty when the reference has no comma
    int index = 0;
};

// Split at the first comma; the index is read as atoi reads it (leading blanks, a sign,
// digits; anything else gives 0). A reference without a comma names no file.
IconReference ParseIconReference(std::string_view reference);

} // namespace tray
