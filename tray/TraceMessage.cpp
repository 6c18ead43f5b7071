#include "TraceMessage.h"

#include <cstdarg>
#include <span>

#include "CDebugLog.h"
#include "framework/Trace.h"

namespace tray {

void WINAPI TraceText(const char* text) {
    if (text == nullptr) {
        return;
    }
    ::OutputDebugStringA(text);
    if (CDebugLog* log = CDebugLog::Current()) {
        log->WriteLine("%s", text);
    }
}

void TraceMessage(const char* format, ...) {
    char text[framework::kTraceLineSize];
    va_list args;
    va_start(args, format);
    framework::FormatIntoV(std::span<char>(text), format, args);
    va_end(args);
    TraceText(text);
}

} // namespace tray
