#include "NumberText.h"

namespace emulator {

namespace {

std::optional<std::uint32_t> ParseDigits(std::string_view text, std::uint32_t base) {
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > 0xFFFFFFFFu) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<std::uint32_t> ParseDecimal(std::string_view text) {
    return ParseDigits(text, 10);
}

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return ParseDigits(text.substr(2), 16);
    }
    return ParseDigits(text, 10);
}

std::string DecimalText(std::uint32_t value) {
    return std::to_string(value);
}

} // namespace emulator
