// The notebook policy record Sarnesh.dll hands out (448 bytes), built from a model profile.
// Offsets the suite reads: model code at 4, version text from 5, feature words at 28 (fan),
// 32 (processor speed), 36 (linked programs), 40 (buttons stand by), 444 (wake bits), the
// word at 128, and processor rows r = 0..3 for kinds s = 1 (Enhanced SpeedStep) and s = 2 at
// 56 + 16r + 132s (other systems) and 120 + 16r + 132s (Windows XP): clock, throttle, flags.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "MachineState.h"

namespace emulator {

inline constexpr std::size_t kPolicyRecordSize = 448;
using PolicyRecord = std::array<std::uint8_t, kPolicyRecordSize>;

inline constexpr std::uint32_t kRowSetsClock = 0x02;
inline constexpr std::uint32_t kRowSetsThrottle = 0x04;

inline constexpr std::size_t kModelCodeOffset = 4;
inline constexpr std::size_t kVersionOffset = 5;
inline constexpr std::size_t kVersionSize = 23; // up to the fan word, terminator included
inline constexpr std::size_t kFanWordOffset = 28;
inline constexpr std::size_t kProcessorWordOffset = 32;
inline constexpr std::size_t kLinkedProgramsWordOffset = 36;
inline constexpr std::size_t kButtonsWordOffset = 40;
inline constexpr std::size_t kSpeedStepWordOffset = 128;
inline constexpr std::size_t kWakeBitsWordOffset = 444;

std::size_t ProcessorRowOffset(bool windowsXp, int kind, int row);

// The record of a profile; nullopt for the profile whose load fails.
std::optional<PolicyRecord> BuildPolicyRecord(ModelProfile profile);

std::uint32_t ReadRecordWord(const PolicyRecord& record, std::size_t offset);

} // namespace emulator
