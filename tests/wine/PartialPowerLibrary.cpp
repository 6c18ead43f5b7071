#include "PartialPowerLibrary.h"

#include <cstring>

namespace {

PartialCallLog g_log;

void Record(const char* entry) {
    ++g_log.calls;
    std::strncpy(g_log.lastEntry, entry, sizeof g_log.lastEntry - 1);
}

} // namespace

// Exported undecorated (the link strips the stdcall suffix), as the system library does.
#define EXPORT extern "C" __declspec(dllexport)

EXPORT PartialCallLog* WINAPI PartialLog() {
    return &g_log;
}

EXPORT LONG WINAPI CallNtPowerInformation(int level, void* input, ULONG inputSize, void* output,
                                          ULONG outputSize) {
    Record("CallNtPowerInformation");
    g_log.level = level;
    g_log.inputByte = input != nullptr && inputSize > 0 ? *static_cast<BYTE*>(input) : -1;
    g_log.inputSize = inputSize;
    g_log.second = output;
    g_log.outputSize = outputSize;
    return kPartialStatus;
}

// Bound by the interface but never called through it.
EXPORT BOOLEAN WINAPI ReadGlobalPwrPolicy(void* policy) {
    Record("ReadGlobalPwrPolicy");
    g_log.first = policy;
    return TRUE;
}

EXPORT BOOLEAN WINAPI SetActivePwrScheme(UINT scheme, void* global, void* policy) {
    Record("SetActivePwrScheme");
    g_log.scheme = scheme;
    g_log.first = global;
    g_log.second = policy;
    return TRUE;
}

EXPORT BOOLEAN WINAPI ReadProcessorPwrScheme(UINT scheme, void* policy) {
    Record("ReadProcessorPwrScheme");
    g_log.scheme = scheme;
    g_log.first = policy;
    return FALSE;
}

// Both answer with a full register: only the low byte is the BOOLEAN.
EXPORT ULONG WINAPI IsPwrHibernateAllowed() {
    Record("IsPwrHibernateAllowed");
    return 0x100;
}

EXPORT ULONG WINAPI CanUserWritePwrScheme() {
    Record("CanUserWritePwrScheme");
    return 0xFF01;
}
