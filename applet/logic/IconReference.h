// A mode's icon reference: a file name, a comma and an icon index ("VoVOZI.dll,3").
#pragma once

#include <optional>
#include <string>

namespace applet {

struct IconReference {
    std::string file;
    int index = 0;
};

// Split at the first comma, the index read as atoi reads it; none without a comma.
std::optional<IconReference> ParseIconReference(const std::string& text);
// "%s,%d".
std::string FormatIconReference(const IconReference& reference);

} // namespace applet
