// A stand-in for the power library that exports only some of its entry points and records
// every call, so that the binding can be checked without the system's library.
#pragma once

#include <windows.h>

inline constexpr char kPartialPowerLibrary[] = "bridge_partial_powrprof.dll";

// Status the stand-in's CallNtPowerInformation reports: a failure code, so that a forwarder
// which replaced the status with its own would be noticed.
inline constexpr LONG kPartialStatus = static_cast<LONG>(0xC00000BB);

struct PartialCallLog {
    int calls;
    char lastEntry[32];
    UINT scheme;
    void* first;  // first pointer argument
    void* second; // second pointer argument
    int level;
    int inputByte; // -1 when there was no input
    ULONG inputSize;
    ULONG outputSize;
};

using PartialLogFn = PartialCallLog*(WINAPI*)();
