#include "switcher/DebugTrace.h"

#include <windows.h>

#include <cstdarg>
#include <memory>
#include <span>

#include "framework/BoundedFormat.h"

namespace switcher {

namespace {

std::size_t FormatTraceV(std::span<wchar_t> line, const wchar_t* tag, const wchar_t* format,
                         va_list args) {
    // The pattern is built first and then formatted, so the caller's conversions run once, with
    // the caller's arguments; the tag is a routine name and carries no conversions.
    auto pattern = std::make_unique<wchar_t[]>(kDebugTraceSize);
    framework::FormatInto(std::span<wchar_t>(pattern.get(), kDebugTraceSize), L"%s: %s", tag,
                          format);
    return framework::FormatIntoV(line, pattern.get(), args);
}

} // namespace

void DebugTrace(bool enabled, const wchar_t* tag, const wchar_t* format, ...) {
    if (!enabled) {
        return;
    }
    // On the heap: two buffers of this size would take a quarter of a megabyte of stack, and
    // the animation threads trace too.
    auto line = std::make_unique<wchar_t[]>(kDebugTraceSize);
    va_list args;
    va_start(args, format);
    FormatTraceV(std::span<wchar_t>(line.get(), kDebugTraceSize), tag, format, args);
    va_end(args);
    ::OutputDebugStringW(line.get());
}

std::size_t FormatDebugTrace(wchar_t* line, std::size_t capacity, const wchar_t* tag,
                             const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const std::size_t length = FormatTraceV(std::span<wchar_t>(line, capacity), tag, format, args);
    va_end(args);
    return length;
}

} // namespace switcher
