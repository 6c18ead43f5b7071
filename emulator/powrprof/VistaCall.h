// One call of a Vista scheme function: its arguments and Win32 result in the journal, and the
// checks every such function makes first.
#pragma once

#include <windows.h>

#include <string>

#include "JournalLine.h"
#include "PowerGuid.h"

namespace powrprof {

inline constexpr DWORD kGuidBytes = sizeof(GUID);
// Flag of the machine state: whether the user may change the active scheme (default 1).
inline constexpr char kCanUserSetActiveSchemeValue[] = "CanUserSetActiveScheme";

emulator::PowerGuid ToPowerGuid(const GUID& guid);
GUID ToGuid(const emulator::PowerGuid& guid);

class VistaCall {
public:
    explicit VistaCall(const char* function) : function_(function) {}
    VistaCall(const VistaCall&) = delete;
    VistaCall& operator=(const VistaCall&) = delete;

    emulator::ArgumentList& Args() { return arguments_; }
    emulator::ArgumentList& Outputs() { return outputs_; }

    // Journals the call; the code is what the function returns.
    DWORD Return(DWORD code);

    void AddGuid(const char* name, const GUID* guid);
    void AddSize(const DWORD* size);
    // The reserved root key is journalled; true when it was given (it must be null).
    bool RootGiven(HKEY root);
    // ERROR_SUCCESS when the caller's Windows has these functions, and the schemes are there
    // (seeded on first use); ERROR_CALL_NOT_IMPLEMENTED below Vista.
    DWORD Start();

private:
    const char* function_;
    emulator::ArgumentList arguments_;
    emulator::ArgumentList outputs_;
};

bool UserMaySetActiveScheme();

// A null subgroup names the settings that belong to no subgroup, as on Windows.
emulator::PowerGuid SubgroupOrNone(const GUID* subgroup);

// The text in the caller's buffer by the size protocol of the read functions: the size needed
// (bytes with the terminator) always, the text only when the buffer holds it all.
DWORD HandBackText(VistaCall& call, const char* output, const std::wstring& text, UCHAR* buffer,
                   DWORD* size);

} // namespace powrprof
