// One call of the power manager: its arguments, its outcome, and the journal line both make.
#pragma once

#include <windows.h>

#include <string>

#include "JournalLine.h"

namespace powrprof {

class PowerCall {
public:
    explicit PowerCall(const char* function) : function_(function) {}
    PowerCall(const PowerCall&) = delete;
    PowerCall& operator=(const PowerCall&) = delete;

    emulator::ArgumentList& Args() { return arguments_; }
    // Values handed back to the caller, journalled after the result.
    emulator::ArgumentList& Outputs() { return outputs_; }

    BOOLEAN Succeed();
    // Sets the caller's last error.
    BOOLEAN Fail(DWORD error);
    // A yes/no question: no error either way.
    BOOLEAN Answer(bool yes);
    LONG Status(LONG status);

private:
    void Record(const std::string& result);

    const char* function_;
    emulator::ArgumentList arguments_;
    emulator::ArgumentList outputs_;
};

} // namespace powrprof
