#include "NotebookPolicy.h"

#include <cstring>

namespace hardware {

std::optional<std::size_t> ProcessorRowOffset(int row, int kind, bool windowsXp) {
    if (row < 0 || row >= kProcessorRows) {
        return std::nullopt;
    }
    if (kind != kSpeedStepProcessor && kind != kOtherProcessor) {
        return std::nullopt;
    }
    // The non-XP block starts at 56, the XP block at 120; each kind has 132 bytes of rows.
    const std::size_t base = windowsXp ? 120 : 56;
    return base + 16 * static_cast<std::size_t>(row) + 132 * static_cast<std::size_t>(kind);
}

void NotebookPolicy::Clear() {
    std::memset(bytes_, 0, sizeof bytes_);
}

std::uint32_t NotebookPolicy::Word(std::size_t offset) const {
    if (offset > kNotebookPolicySize - 4) {
        return 0;
    }
    return static_cast<std::uint32_t>(bytes_[offset]) |
           static_cast<std::uint32_t>(bytes_[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes_[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes_[offset + 3]) << 24;
}

void NotebookPolicy::SetWord(std::size_t offset, std::uint32_t value) {
    if (offset > kNotebookPolicySize - 4) {
        return;
    }
    for (int i = 0; i < 4; ++i) {
        bytes_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::string NotebookPolicy::VersionText() const {
    const char* text = reinterpret_cast<const char*>(bytes_ + kVersionTextOffset);
    const std::size_t room = kNotebookPolicySize - kVersionTextOffset;
    const void* end = std::memchr(text, 0, room);
    const std::size_t length = end ? static_cast<const char*>(end) - text : room;
    return std::string(text, length);
}

std::optional<ProcessorRow> NotebookPolicy::Row(int row, int kind, bool windowsXp) const {
    const auto offset = ProcessorRowOffset(row, kind, windowsXp);
    if (!offset) {
        return std::nullopt;
    }
    return ProcessorRow{Word(*offset), Word(*offset + 4), Word(*offset + 8)};
}

} // namespace hardware
