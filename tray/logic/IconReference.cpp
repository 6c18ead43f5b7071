#include "IconReference.h"

#include <climits>

namespace tray {

namespace {

int LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        // Saturate instead of overflowing on a damaged value.
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value < INT_MIN ? INT_MIN : value);
}

} // namespace

IconReference ParseIconReference(std::string_view reference) {
    const std::size_t comma = reference.find(',');
    if (comma == std::string_view::npos) {
        return {};
    }
    return {std::string(reference.substr(0, comma)), LeadingNumber(reference.substr(comma + 1))};
}

} // namespace tray
