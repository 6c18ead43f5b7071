// The one trace facility of the narrow programs: a formatted line goes to the debugger output
// and to every sink registered beside it (the tray's log file, a test's recorder). Lines are
// formatted into a fixed buffer of kTraceLineSize characters; longer text is cut.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstddef>

#include "framework/BoundedFormat.h"

namespace framework {

inline constexpr std::size_t kTraceLineSize = 1040;

// Where trace lines go besides the debugger output. A sink is registered for as long as it
// wants the lines and must be removed before it goes away.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void WriteTrace(const char* line) = 0;
};

void AddTraceSink(TraceSink& sink);
void RemoveTraceSink(TraceSink& sink);

void Trace(const char* format, ...) FRAMEWORK_PRINTF(1, 2);
void TraceV(const char* format, va_list args);
// Text already formatted (the firmware code hands its lines over this way); null is ignored.
void WINAPI TraceText(const char* text);

// Wide lines go to the debugger output only: the sinks are narrow.
void Trace(const wchar_t* format, ...);
void TraceV(const wchar_t* format, va_list args);

} // namespace framework
