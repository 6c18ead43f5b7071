// The one trace facility: a formatted line to the debugger output. Lines are formatted into a
// fixed buffer of kTraceLineSize characters; longer text is cut.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "framework/BoundedFormat.h"

namespace framework {

inline constexpr std::size_t kTraceLineSize = 1040;

void Trace(const char* format, ...) FRAMEWORK_PRINTF(1, 2);
void Trace(const wchar_t* format, ...);
void TraceV(const char* format, va_list args);
void TraceV(const wchar_t* format, va_list args);

} // namespace framework
