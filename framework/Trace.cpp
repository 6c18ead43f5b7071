#include "framework/Trace.h"

#include <windows.h>

#include <span>

namespace framework {

void TraceV(const char* format, va_list args) {
    char line[kTraceLineSize];
    FormatIntoV(std::span<char>(line), format, args);
    ::OutputDebugStringA(line);
}

void TraceV(const wchar_t* format, va_list args) {
    wchar_t line[kTraceLineSize];
    FormatIntoV(std::span<wchar_t>(line), format, args);
    ::OutputDebugStringW(line);
}

void Trace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    TraceV(format, args);
    va_end(args);
}

void Trace(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    TraceV(format, args);
    va_end(args);
}

} // namespace framework
