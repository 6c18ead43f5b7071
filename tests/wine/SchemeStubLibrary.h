// A stand-in for the Vista power-scheme functions: schemes in memory, with faults a test can
// arm (a refused setting, a library that picks its own GUIDs, a list that shrinks while it is
// walked), so that the suite's scheme code can be checked on what the system may do.
#pragma once

#include <windows.h>

inline constexpr char kSchemeStubLibrary[] = "scheme_stub_powrprof.dll";
// The same without PowerWriteDescription.
inline constexpr char kSchemeStubPartialLibrary[] = "scheme_stub_partial_powrprof.dll";

struct SchemeStubControl {
    GUID refusedSetting; // a write of this setting fails with refusedError
    DWORD refusedError;  // 0: nothing refused
    BOOL allocateGuids;  // PowerDuplicateScheme ignores the GUID asked for
    int shrinkAtIndex;   // enumerating this index first drops the last scheme; -1 never
    int duplicateCalls;
    int deleteCalls;
};

// Exported by the stand-in.
using SchemeStubControlFn = SchemeStubControl*(WINAPI*)();
using SchemeStubResetFn = void(WINAPI*)();                          // the three stock schemes
using SchemeStubAddFn = void(WINAPI*)(const GUID*, const wchar_t*); // another scheme
using SchemeStubCountFn = int(WINAPI*)();
// The name and description of a scheme, and one of its values; FALSE when it has none.
using SchemeStubNameFn = BOOL(WINAPI*)(const GUID*, wchar_t*, int, wchar_t*, int);
using SchemeStubValueFn = BOOL(WINAPI*)(const GUID*, const GUID*, BOOL ac, DWORD*);
using SchemeStubActiveFn = void(WINAPI*)(GUID*);
