#include "IconReference.h"

#include <cstdlib>

namespace applet {

std::optional<IconReference> ParseIconReference(const std::string& text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) {
        return std::nullopt;
    }
    return IconReference{text.substr(0, comma), std::atoi(text.c_str() + comma + 1)};
}

std::string FormatIconReference(const IconReference& reference) {
    return reference.file + "," + std::to_string(reference.index);
}

} // namespace applet
