#include "switcher/logic/BatteryHealthLogic.h"

#include <climits>

#include "switcher/logic/BatteryStatusLogic.h"

namespace switcher {

namespace {

// Damage table of the firmware, indexed by bits 4 to 7 of the status word.
constexpr std::array<std::uint8_t, 16> kDamageTable{0, 1, 1, 1, 1, 1, 0, 1, 1, 0, 1, 0, 0, 1, 0, 0};

constexpr std::uint16_t Word(std::uint8_t low, std::uint8_t high) {
    return static_cast<std::uint16_t>(low | (high << 8));
}

std::wstring Hex(std::uint32_t value, int minDigits) {
    constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(text.size()) < minDigits) {
        text.insert(text.begin(), L'0');
    }
    return text;
}

// The C library's isspace in the "C" locale.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads the text the way "%d, %d, %d, %d" is matched.
class OverrideReader {
public:
    explicit OverrideReader(std::string_view text) : text_(text) {}

    // "%d": blanks, an optional sign, at least one digit. The number is kept modulo 2^16,
    // which is its low 16 bits however long it is.
    std::optional<std::uint16_t> Number() {
        SkipBlanks();
        bool negative = false;
        if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) {
            negative = text_[pos_] == '-';
            ++pos_;
        }
        std::uint32_t value = 0;
        std::size_t digits = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            value = (value * 10 + static_cast<std::uint32_t>(text_[pos_] - '0')) & 0xFFFF;
            ++pos_;
            ++digits;
        }
        if (digits == 0) {
            return std::nullopt;
        }
        return static_cast<std::uint16_t>(negative ? (0x10000 - value) & 0xFFFF : value);
    }

    // "," directly, then " " matching any run of blanks.
    bool Separator() {
        if (pos_ >= text_.size() || text_[pos_] != ',') {
            return false;
        }
        ++pos_;
        SkipBlanks();
        return true;
    }

private:
    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) {
            ++pos_;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

std::uint8_t DamageFlag(std::uint16_t status) {
    return kDamageTable[(status & 0xF0) >> 4];
}

BatteryValues ValuesFromRegisters(const std::array<std::uint8_t, 8>& bytes) {
    BatteryValues values;
    values.designCapacity = Word(bytes[0], bytes[1]);
    values.fullChargeCapacity = Word(bytes[2], bytes[3]);
    values.cycleCount = Word(bytes[4], bytes[5]);
    values.status = Word(bytes[6], bytes[7]);
    values.damaged = DamageFlag(values.status);
    return values;
}

OverrideValues ParseOverride(std::string_view content) {
    OverrideValues result;
    OverrideReader reader(content.substr(0, kMaxOverrideBytes));
    std::uint16_t* const fields[] = {&result.values.designCapacity,
                                     &result.values.fullChargeCapacity, &result.values.cycleCount,
                                     &result.values.status};
    for (std::uint16_t* field : fields) {
        if (result.numbersRead > 0 && !reader.Separator()) {
            break;
        }
        const auto number = reader.Number();
        if (!number) {
            break;
        }
        *field = *number;
        ++result.numbersRead;
    }
    result.values.damaged = DamageFlag(result.values.status);
    return result;
}

BatteryCondition Classify(const BatteryValues& values) {
    if (values.damaged != 0) {
        return BatteryCondition::Damaged;
    }
    // fcc / dc < 0.5 without floating point; with dc = 0 there is no ratio.
    const bool lowCapacity =
        values.designCapacity != 0 && 2u * values.fullChargeCapacity < values.designCapacity;
    if (lowCapacity || values.cycleCount > 1000) {
        return BatteryCondition::Worn;
    }
    return BatteryCondition::Good;
}

const wchar_t* ConditionTrace(BatteryCondition condition) {
    switch (condition) {
    case BatteryCondition::Damaged:
        return L"Battery damaged.\n";
    case BatteryCondition::Worn:
        return L"Battery is fine. But need to be replaced immediately.\n";
    case BatteryCondition::Good:
        break;
    }
    return L"Battery is good.\n";
}

std::wstring ValuesTrace(const BatteryValues& values) {
    return L"dc=" + Hex(values.designCapacity, 4) + L", fcc=" + Hex(values.fullChargeCapacity, 4) +
           L", cc=" + Hex(values.cycleCount, 2) + L", ma=" + Hex(values.status, 4) + L", dg=" +
           Hex(values.damaged, 1) + L"\n";
}

std::optional<std::int32_t> DecodeCounter(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kCounterBytes) {
        return std::nullopt;
    }
    const std::uint32_t word = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                               std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    return static_cast<std::int32_t>(word);
}

std::array<std::uint8_t, kCounterBytes> EncodeCounter(std::int32_t count) {
    const auto word = static_cast<std::uint32_t>(count);
    return {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
            static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
}

std::int32_t NextEventCount(std::optional<std::int32_t> stored, bool eventFlagged) {
    std::int32_t count = stored.value_or(0);
    if (count < 0) {
        count = 0;
    }
    if (eventFlagged && count < INT32_MAX) {
        ++count;
    }
    return count;
}

bool ShouldWarn(std::int32_t count, bool forced) {
    return count >= kWarningCount || forced;
}

std::optional<BatteryWarning> WarningFor(BatteryCondition condition, const ResourceTokens& texts) {
    switch (condition) {
    case BatteryCondition::Worn:
        return BatteryWarning{kWornTrayIcon, texts[kTokenWornTitle], texts[kTokenWornText]};
    case BatteryCondition::Damaged:
        return BatteryWarning{kDamagedTrayIcon, texts[kTokenDamagedTitle],
                              texts[kTokenDamagedText]};
    case BatteryCondition::Good:
        break;
    }
    return std::nullopt;
}

BatteryWarning WarningForTrayIcon(int currentTrayIcon, const ResourceTokens& texts) {
    return *WarningFor(currentTrayIcon == kWornTrayIcon ? BatteryCondition::Worn
                                                        : BatteryCondition::Damaged,
                       texts);
}

} // namespace switcher
