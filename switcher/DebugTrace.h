// The switcher's one trace facility: "tag: text" lines to the debugger output. `enabled` is a
// constant at each call site, so that quiet traces stay in the code without being printed.
#pragma once

#include <cstddef>

namespace switcher {

// Both the "tag: format" pattern and the formatted line are bounded to this many characters;
// longer text is cut.
inline constexpr std::size_t kDebugTraceSize = 65536;

// `format` follows the platform's wide printf rules ("%s" is a wide string).
void DebugTrace(bool enabled, const wchar_t* tag, const wchar_t* format, ...);

// The line DebugTrace would print, for callers that want it (and for tests).
std::size_t FormatDebugTrace(wchar_t* line, std::size_t capacity, const wchar_t* tag,
                             const wchar_t* format, ...);

} // namespace switcher
