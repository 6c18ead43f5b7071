#include "PowerCall.h"

#include <cstdio>

#include "Journal.h"

namespace powrprof {

BOOLEAN PowerCall::Succeed() {
    Record("TRUE");
    return TRUE;
}

BOOLEAN PowerCall::Fail(DWORD error) {
    ::SetLastError(error);
    Record("FALSE error=" + std::to_string(error));
    return FALSE;
}

BOOLEAN PowerCall::Answer(bool yes) {
    Record(yes ? "TRUE" : "FALSE");
    return yes ? TRUE : FALSE;
}

LONG PowerCall::Status(LONG status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
    Record(text);
    return status;
}

void PowerCall::Record(const std::string& result) {
    std::string line = result;
    if (!outputs_.Text().empty()) {
        line += " " + outputs_.Text();
    }
    emulator::JournalCall("powrprof", function_, arguments_.Text(), line);
}

} // namespace powrprof
