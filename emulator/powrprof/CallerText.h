// Text a caller hands over. The scheme functions take UTF-16 text; a caller that passes narrow
// text by mistake must get a garbled name, not a read past the end of its memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace powrprof {

// Longest scheme name or description taken.
inline constexpr std::size_t kMaxCallerText = 512;

// The units before the terminator, reading only committed readable memory and at most
// kMaxCallerText units; nullopt when there is no terminator within that.
std::optional<std::wstring> ReadCallerText(const wchar_t* text);

std::string Utf8(const std::wstring& text);

} // namespace powrprof
