#include "PowerGuid.h"

#include <cctype>
#include <cstdio>

namespace emulator {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

PowerGuid FromBytes(const std::array<std::uint8_t, 16>& b) {
    PowerGuid guid;
    guid.data1 = static_cast<std::uint32_t>(b[0]) << 24 | static_cast<std::uint32_t>(b[1]) << 16 |
                 static_cast<std::uint32_t>(b[2]) << 8 | b[3];
    guid.data2 = static_cast<std::uint16_t>(b[4] << 8 | b[5]);
    guid.data3 = static_cast<std::uint16_t>(b[6] << 8 | b[7]);
    for (std::size_t i = 0; i < 8; ++i) {
        guid.data4[i] = b[8 + i];
    }
    return guid;
}

} // namespace

std::string KeyText(const PowerGuid& g) {
    char text[40];
    std::snprintf(text, sizeof text, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned long>(g.data1), g.data2, g.data3, g.data4[0], g.data4[1],
                  g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
    return text;
}

std::string BracedText(const PowerGuid& guid) {
    return "{" + KeyText(guid) + "}";
}

std::optional<PowerGuid> ParsePowerGuid(std::string_view text) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
        text = text.substr(1, 36);
    }
    if (text.size() != 36) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 16> bytes{};
    std::size_t nibble = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            continue;
        }
        const int digit = HexDigit(text[i]);
        if (digit < 0) {
            return std::nullopt;
        }
        bytes[nibble / 2] = static_cast<std::uint8_t>(bytes[nibble / 2] << 4 | digit);
        ++nibble;
    }
    return FromBytes(bytes);
}

PowerGuid RandomPowerGuid(const std::array<std::uint8_t, 16>& bytes) {
    std::array<std::uint8_t, 16> b = bytes;
    b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x40); // version 4
    b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80); // the standard variant
    return FromBytes(b);
}

} // namespace emulator
