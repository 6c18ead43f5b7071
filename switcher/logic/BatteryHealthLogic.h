// Battery health from the four values the embedded controller keeps (design capacity,
// full-charge capacity, cycle count, status word): how they are read from its registers or
// from the override file Pivora.dmg, how a battery is judged, the event counter kept in
// Pivora.cbt, and which warning a judgement gives. Windows-free; BatteryHealth.h does the I/O.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "switcher/logic/ResourceTokens.h"

namespace switcher {

// Embedded-controller exchanges (every count is 1).
inline constexpr std::uint8_t kEcEventCommand = 0x45;
inline constexpr std::uint8_t kEcStartData = 0x1D;    // write: at start and on resume
inline constexpr std::uint8_t kEcAcknowledge = 0x1E;  // write: after each event query
inline constexpr std::uint8_t kEcEventQuery = 0x1F;   // receive: the event flag byte
inline constexpr std::uint8_t kEcReadRegister = 0xB0; // receive: one register byte
// Registers in the order they are read: design capacity, full-charge capacity, cycle count
// and status word, each pair low byte first.
inline constexpr std::array<std::uint8_t, 8> kBatteryRegisters{0xCA, 0xCB, 0xCC, 0xCD,
                                                               0xEB, 0xEC, 0xEE, 0xEF};

struct BatteryValues {
    std::uint16_t designCapacity = 0;     // dc
    std::uint16_t fullChargeCapacity = 0; // fcc
    std::uint16_t cycleCount = 0;         // cc
    std::uint16_t status = 0;             // ma
    std::uint8_t damaged = 0;             // dg, derived from the status word
};

// dg: bits 4 to 7 of the status word looked up in the firmware's damage table.
std::uint8_t DamageFlag(std::uint16_t status);

// The values from the register bytes in the order of kBatteryRegisters.
BatteryValues ValuesFromRegisters(const std::array<std::uint8_t, 8>& bytes);

// Pivora.dmg: one line "dc, fcc, cc, ma" read as the C library reads "%d, %d, %d, %d": a
// comma must follow a number directly, blanks may follow the comma. Reading stops at the
// first mismatch; the numbers not read count as 0. Each number is kept as its low 16 bits.
// Only the first kMaxOverrideBytes of the file are read.
inline constexpr std::size_t kMaxOverrideBytes = 4096;
struct OverrideValues {
    BatteryValues values;
    int numbersRead = 0;
};
OverrideValues ParseOverride(std::string_view content);

enum class BatteryCondition { Good, Worn, Damaged };

// First match wins: damaged (dg set), worn (full charge below half the design capacity, or
// more than 1000 cycles; no design capacity gives no ratio), good.
BatteryCondition Classify(const BatteryValues& values);

// The judgement's trace line (tag "CUIDlg::OnPower").
const wchar_t* ConditionTrace(BatteryCondition condition);

// "dc=%04x, fcc=%04x, cc=%02x, ma=%04x, dg=%x\n"
std::wstring ValuesTrace(const BatteryValues& values);

// Pivora.cbt holds the event count as exactly 4 bytes, a signed 32-bit little-endian integer.
inline constexpr std::size_t kCounterBytes = 4;
// The first four bytes; a shorter file is damaged: nullopt.
std::optional<std::int32_t> DecodeCounter(std::span<const std::uint8_t> bytes);
std::array<std::uint8_t, kCounterBytes> EncodeCounter(std::int32_t count);
// The count after one query of the event flag. A missing, damaged or negative count starts
// again from 0, and the count stops at its largest value instead of wrapping to a negative
// one that would never reach the warning.
std::int32_t NextEventCount(std::optional<std::int32_t> stored, bool eventFlagged);

// A worn or damaged battery is reported once this many checks saw the event flag.
inline constexpr std::int32_t kWarningCount = 5;
bool ShouldWarn(std::int32_t count, bool forced);

// Tray icon slots loaded by the dialog: 0 = icon 101, 1 = icon 102 (worn), 2 = icon 103.
inline constexpr int kWornTrayIcon = 1;
inline constexpr int kDamagedTrayIcon = 2;

struct BatteryWarning {
    int trayIcon = 0;
    std::wstring title;
    std::wstring text;
};

// The warning for a worn or damaged battery (a good one has none).
std::optional<BatteryWarning> WarningFor(BatteryCondition condition, const ResourceTokens& texts);
// The balloon shown again on a double click: worn texts while the worn icon is shown,
// damaged texts otherwise.
BatteryWarning WarningForTrayIcon(int currentTrayIcon, const ResourceTokens& texts);

} // namespace switcher
