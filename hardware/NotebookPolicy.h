// The notebook's own facts, as the policy library fills them into a 448-byte record: which
// hardware features exist and the processor settings of every speed step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

namespace hardware {

inline constexpr std::size_t kNotebookPolicySize = 448;

// Offsets the suite reads; everything else in the record belongs to the policy library.
inline constexpr std::size_t kModelCodeOffset = 4;
inline constexpr std::size_t kVersionTextOffset = 5;
inline constexpr std::size_t kFanWordOffset = 28;
inline constexpr std::size_t kProcessorWordOffset = 32;
inline constexpr std::size_t kLinkedProgramWordOffset = 36;
inline constexpr std::size_t kButtonWordOffset = 40;
inline constexpr std::size_t kSpeedStepWordOffset = 128;
inline constexpr std::size_t kWakeBitsWordOffset = 444;

// Processor kinds that select a block of rows: 1 with Enhanced SpeedStep, 2 without.
inline constexpr int kSpeedStepProcessor = 1;
inline constexpr int kOtherProcessor = 2;
inline constexpr int kProcessorRows = 4; // "Full", "Mid1", "Mid2", "Low"

struct ProcessorRow {
    std::uint32_t clock = 0;
    std::uint32_t throttle = 0;
    std::uint32_t flags = 0;
};

// Byte offset of a processor row, or nothing for a row or kind outside the table.
std::optional<std::size_t> ProcessorRowOffset(int row, int kind, bool windowsXp);

class NotebookPolicy {
public:
    std::uint8_t* Data() { return bytes_; }
    const std::uint8_t* Data() const { return bytes_; }
    void Clear();

    // Little-endian word at a byte offset; 0 for a word that does not lie inside the record.
    std::uint32_t Word(std::size_t offset) const;
    void SetWord(std::size_t offset, std::uint32_t value);

    std::uint8_t ModelCode() const { return bytes_[kModelCodeOffset]; }
    // The version text, cut at the end of the record if the library left it unterminated.
    std::string VersionText() const;

    std::uint32_t FanWord() const { return Word(kFanWordOffset); }
    std::uint32_t ProcessorWord() const { return Word(kProcessorWordOffset); }
    std::uint32_t LinkedProgramWord() const { return Word(kLinkedProgramWordOffset); }
    std::uint32_t ButtonWord() const { return Word(kButtonWordOffset); }
    std::uint32_t SpeedStepWord() const { return Word(kSpeedStepWordOffset); }
    std::uint32_t WakeBitsWord() const { return Word(kWakeBitsWordOffset); }

    std::optional<ProcessorRow> Row(int row, int kind, bool windowsXp) const;

private:
    std::uint8_t bytes_[kNotebookPolicySize] = {};
};

static_assert(sizeof(NotebookPolicy) == kNotebookPolicySize);
static_assert(std::is_trivially_copyable_v<NotebookPolicy>);

} // namespace hardware
