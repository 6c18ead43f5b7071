#include "NotebookProfile.h"

#include <cstring>

namespace emulator {

namespace {

struct Row {
    std::uint32_t clock;
    std::uint32_t throttle;
    std::uint32_t flags;
};

// Speed steps Full, Mid1, Mid2, Low. Clock values are MHz. Outside Windows XP the throttle is
// the firmware's T-state (0 = no throttling, 2 steps of 12.5 % each row); on Windows XP it is
// the processor policy's dynamic throttle (none, adaptive, degrade, constant), which the
// system applies, so XP rows never set the clock themselves.
constexpr std::array<Row, 4> kSpeedStepRows{{{1733, 0, kRowSetsClock},
                                             {1333, 0, kRowSetsClock},
                                             {1066, 0, kRowSetsClock},
                                             {800, 0, kRowSetsClock}}};
constexpr std::array<Row, 4> kSpeedStepXpRows{{{1733, 0, kRowSetsThrottle},
                                               {1333, 3, kRowSetsThrottle},
                                               {1066, 2, kRowSetsThrottle},
                                               {800, 1, kRowSetsThrottle}}};
// A processor without Enhanced SpeedStep keeps its clock and is throttled instead.
constexpr std::array<Row, 4> kFixedClockRows{{{1500, 0, kRowSetsThrottle},
                                              {1500, 2, kRowSetsThrottle},
                                              {1500, 4, kRowSetsThrottle},
                                              {1500, 6, kRowSetsThrottle}}};
constexpr std::array<Row, 4> kFixedClockXpRows{{{1500, 0, kRowSetsThrottle},
                                                {1500, 3, kRowSetsThrottle},
                                                {1500, 2, kRowSetsThrottle},
                                                {1500, 1, kRowSetsThrottle}}};

constexpr std::uint8_t kDefaultModelCode = 0x1A;
constexpr std::uint8_t kJapaneseModelCode = 0x25;

void PutWord(PolicyRecord& record, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void PutRows(PolicyRecord& record, bool windowsXp, int kind, const std::array<Row, 4>& rows) {
    for (int r = 0; r < 4; ++r) {
        const std::size_t offset = ProcessorRowOffset(windowsXp, kind, r);
        PutWord(record, offset, rows[static_cast<std::size_t>(r)].clock);
        PutWord(record, offset + 4, rows[static_cast<std::size_t>(r)].throttle);
        PutWord(record, offset + 8, rows[static_cast<std::size_t>(r)].flags);
    }
}

} // namespace

std::size_t ProcessorRowOffset(bool windowsXp, int kind, int row) {
    const std::size_t base = windowsXp ? 120 : 56;
    return base + 16 * static_cast<std::size_t>(row) + 132 * static_cast<std::size_t>(kind);
}

std::optional<PolicyRecord> BuildPolicyRecord(ModelProfile profile) {
    if (profile == ModelProfile::LoadFails) {
        return std::nullopt;
    }
    const bool features = profile != ModelProfile::FeaturesOff;
    PolicyRecord record{};
    PutWord(record, 0, kPolicyRecordSize);
    record[kModelCodeOffset] =
        profile == ModelProfile::Model25 ? kJapaneseModelCode : kDefaultModelCode;
    const char* version = profile == ModelProfile::Model25 ? "EMU 1.20J" : "EMU 1.20";
    std::memcpy(&record[kVersionOffset], version, std::strlen(version) + 1);
    PutWord(record, kFanWordOffset, features ? 1 : 0);
    PutWord(record, kProcessorWordOffset, features ? 1 : 0);
    PutWord(record, kLinkedProgramsWordOffset, features ? 1 : 0);
    // The default notebook's buttons stand by; model 0x25 leaves the choice to the language.
    PutWord(record, kButtonsWordOffset, profile == ModelProfile::Default ? 1 : 0);
    PutWord(record, kWakeBitsWordOffset, features ? 1 : 0);
    PutRows(record, false, 1, kSpeedStepRows);
    PutRows(record, true, 1, kSpeedStepXpRows);
    PutRows(record, false, 2, kFixedClockRows);
    PutRows(record, true, 2, kFixedClockXpRows);
    // Whether the policy expects Enhanced SpeedStep (the tray logs it beside its own finding).
    PutWord(record, kSpeedStepWordOffset, features ? 1 : 0);
    return record;
}

std::uint32_t ReadRecordWord(const PolicyRecord& record, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(record[offset + i]) << (8 * i);
    }
    return value;
}

} // namespace emulator
