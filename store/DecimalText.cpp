#include "DecimalText.h"

#include <climits>

namespace store {

std::optional<int> ParseDecimal(const char* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    bool negative = false;
    if (*text == '-' || *text == '+') {
        negative = *text == '-';
        ++text;
    }
    if (*text == '\0') {
        return std::nullopt;
    }
    long long value = 0;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') {
            return std::nullopt;
        }
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX || value < INT_MIN) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::optional<int> ParseKeyId(const char* name) {
    if (name == nullptr || name[0] < '0' || name[0] > '9' || (name[0] == '0' && name[1] != 0)) {
        return std::nullopt;
    }
    return ParseDecimal(name);
}

} // namespace store
