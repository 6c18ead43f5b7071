// The tray's log file: one shared instance, held by whoever needs it and closed when the last
// holder lets go. Every line starts with the local date and time. While it is open it is a sink
// of the trace facility, so every trace line of the program is logged too.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <memory>
#include <utility>

#include "framework/BoundedFormat.h"
#include "framework/Trace.h"
#include "framework/UniqueHandle.h"

namespace tray {

inline constexpr char kDebugLogPath[] = "C:\\DebugLog.txt";
// Both the message and the whole line, terminator included.
inline constexpr std::size_t kLogLineSize = 780;

class CDebugLog : public framework::TraceSink {
public:
    // The shared instance, created on the first acquire; null when the file cannot be opened
    // (no holder is counted then). A later acquire while it exists ignores `path`.
    static CDebugLog* Acquire(const char* path = kDebugLogPath);
    // One holder less; the last one closes the file. Nothing when there is no holder.
    static void Release();
    // The instance while someone holds it, else null.
    static CDebugLog* Current();
    static int Holders();

    ~CDebugLog() override;
    CDebugLog(const CDebugLog&) = delete;
    CDebugLog& operator=(const CDebugLog&) = delete;

    // "YYYY/MM/DD hh:mm:ss - message"; no line end is added (messages carry their own).
    void WriteLine(const char* format, ...) FRAMEWORK_PRINTF(2, 3);
    void WriteLineV(const char* format, va_list args);

    void WriteTrace(const char* line) override;

    // Acquires for its lifetime.
    class Holder {
    public:
        explicit Holder(const char* path = kDebugLogPath) : held_(Acquire(path) != nullptr) {}
        ~Holder() {
            if (held_) {
                Release();
            }
        }
        Holder(const Holder&) = delete;
        Holder& operator=(const Holder&) = delete;

        bool Held() const { return held_; }

    private:
        bool held_;
    };

private:
    explicit CDebugLog(framework::UniqueFile file);

    framework::UniqueFile file_;

    static inline std::unique_ptr<CDebugLog> instance_;
    static inline int holders_ = 0;
};

} // namespace tray
