// The tray's diagnostics: each line goes to the debugger output and, while the log file is
// held, to the log as well.
#pragma once

#include <windows.h>

#include "framework/BoundedFormat.h"

namespace tray {

// Formatted into the suite's 1,040-byte trace buffer; longer text is cut.
void TraceMessage(const char* format, ...) FRAMEWORK_PRINTF(1, 2);

// The same for text already formatted; the firmware code traces through it.
void WINAPI TraceText(const char* text);

} // namespace tray
