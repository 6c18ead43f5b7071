// A GUID as the Vista power manager names schemes, subgroups and settings, without Windows'
// headers so that the rules built on it are tested natively too.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace emulator {

// The layout of the Windows GUID, so that the two convert by copying.
struct PowerGuid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    friend bool operator==(const PowerGuid& a, const PowerGuid& b) {
        return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 && a.data4 == b.data4;
    }
    friend bool operator!=(const PowerGuid& a, const PowerGuid& b) { return !(a == b); }
};
static_assert(sizeof(PowerGuid) == 16);

// "381b4222-f694-41f0-9685-ff5bb260df2e": lower case without braces, as Windows names the
// registry keys of its schemes and settings.
std::string KeyText(const PowerGuid& guid);
// The same in braces, as the journal shows it.
std::string BracedText(const PowerGuid& guid);
// Thirty-two hex digits in the 8-4-4-4-12 pattern, braces optional, case ignored.
std::optional<PowerGuid> ParsePowerGuid(std::string_view text);

// A random (version 4) GUID from sixteen random bytes.
PowerGuid RandomPowerGuid(const std::array<std::uint8_t, 16>& bytes);

} // namespace emulator
