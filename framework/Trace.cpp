#include "framework/Trace.h"

#include <algorithm>
#include <span>
#include <vector>

#include "framework/CriticalSection.h"
#include "framework/TextCut.h"
#include "framework/WindowText.h"

namespace framework {

namespace {

// Traces may come from hook and worker threads as well as from the window thread.
class SinkList {
public:
    void Add(TraceSink& sink) {
        CriticalSectionLock lock(section_);
        if (std::find(sinks_.begin(), sinks_.end(), &sink) == sinks_.end()) {
            sinks_.push_back(&sink);
        }
    }
    void Remove(TraceSink& sink) {
        CriticalSectionLock lock(section_);
        std::erase(sinks_, &sink);
    }
    void Write(const char* line) {
        CriticalSectionLock lock(section_);
        for (TraceSink* sink : sinks_) {
            sink->WriteTrace(line);
        }
    }

private:
    CriticalSection section_;
    std::vector<TraceSink*> sinks_;
};

SinkList gSinks;

} // namespace

void AddTraceSink(TraceSink& sink) {
    gSinks.Add(sink);
}

void RemoveTraceSink(TraceSink& sink) {
    gSinks.Remove(sink);
}

void WINAPI TraceText(const char* text) {
    if (text == nullptr) {
        return;
    }
    ::OutputDebugStringA(text);
    gSinks.Write(text);
}

void TraceV(const char* format, va_list args) {
    char line[kTraceLineSize];
    const std::size_t length = FormatIntoV(std::span<char>(line), format, args);
    line[WholeCharacterBytes(std::string_view(line, length), IsAnsiLeadByte)] = '\0';
    TraceText(line);
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
