// Cutting narrow text to a byte limit. The narrow programs hold their texts in the system's
// ANSI code page, where a double-byte character (Japanese, Korean, Chinese) has a lead byte
// and a trail byte; a cut never separates them, so the cut text stays valid in that code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace framework {

// Whether a byte starts a double-byte character; null for a single-byte code page.
using LeadBytePredicate = bool (*)(unsigned char);

// The length of the longest start of `text` that has at most `maxBytes` bytes and ends
// between two characters. A lead byte at the very end (a damaged text) counts as one byte.
std::size_t FittingBytes(std::string_view text, std::size_t maxBytes, LeadBytePredicate isLeadByte);

std::string CutToBytes(std::string_view text, std::size_t maxBytes, LeadBytePredicate isLeadByte);

// The length of `text` without a lead byte at its very end: what a byte-bounded formatter
// leaves of a double-byte character it cut.
std::size_t WholeCharacterBytes(std::string_view text, LeadBytePredicate isLeadByte);

// Copies the start of `text` that fits the field (or `maxBytes`, when that is less) into a
// fixed field and terminates it there.
template <std::size_t N>
void CopyToField(char (&field)[N], std::string_view text, LeadBytePredicate isLeadByte,
                 std::size_t maxBytes = N - 1) {
    static_assert(N > 0);
    const std::size_t length = FittingBytes(text, maxBytes < N - 1 ? maxBytes : N - 1, isLeadByte);
    text.copy(field, length);
    field[length] = '\0';
}

} // namespace framework
