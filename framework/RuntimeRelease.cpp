// Linked into every library of the suite. The statically linked run-time, when a library
// starts, takes a TLS index, an event and a duplicate of the thread's handle for the thread
// that loaded it, 18 KB of memory for exceptions and a record of that thread, and never gives
// them back: a process that loads and frees one of our
// libraries again and again (the power library at every apply) first leaks handles, then runs
// out of TLS indexes after about a thousand loads and ends. The library's imports of the calls
// that take them go through the trackers below (-Wl,--wrap, see WindowsBuild.cmake; the real
// imports stay reachable under their __real_ names), and what is still held when the library
// is freed is given back after the last of its destructors has run. So a library must not hand
// an event or a duplicated handle to its caller to close: it would be closed again here.
#include <windows.h>

#include <cstdlib>

#if defined(_WIN64)
#define SUITE_IMPORT(prefix, name, bytes) prefix "__imp_" #name
#else
#define SUITE_IMPORT(prefix, name, bytes) "_" prefix "_imp__" #name "@" #bytes
#endif

using TlsAllocFn = DWORD(WINAPI*)();
using CreateEventAFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR);
using DuplicateHandleFn = BOOL(WINAPI*)(HANDLE, HANDLE, HANDLE, LPHANDLE, DWORD, BOOL, DWORD);
using CloseHandleFn = BOOL(WINAPI*)(HANDLE);

namespace __gnu_cxx {
// The C++ run-time's own release of what it keeps for the life of the process (the emergency
// buffer for exceptions, about 18 KB).
void __freeres() noexcept;
} // namespace __gnu_cxx

// The thread run-time's own TLS callback. Told that the thread ends, it frees what it keeps
// for the thread (its record, the event, the duplicated handle); it is not told so when the
// library is freed.
extern "C" PIMAGE_TLS_CALLBACK __xl_f;

extern "C" {
extern const TlsAllocFn realTlsAlloc asm(SUITE_IMPORT("__real_", TlsAlloc, 0));
extern const CreateEventAFn realCreateEventA asm(SUITE_IMPORT("__real_", CreateEventA, 16));
extern const DuplicateHandleFn realDuplicateHandle asm(SUITE_IMPORT("__real_", DuplicateHandle,
                                                                    28));
extern const CloseHandleFn realCloseHandle asm(SUITE_IMPORT("__real_", CloseHandle, 4));
}

namespace {

// The run-time takes a few; the library's own code closes what it opens. Beyond this many
// held at once, the rest is left as it is.
constexpr int kSlots = 32;
DWORD g_tlsIndexes[kSlots];
LONG g_tlsCount = 0;
void* volatile g_handles[kSlots];

void HoldHandle(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    for (void* volatile& slot : g_handles) {
        if (::InterlockedCompareExchangePointer(&slot, handle, nullptr) == nullptr) {
            return;
        }
    }
}

void ForgetHandle(HANDLE handle) {
    for (void* volatile& slot : g_handles) {
        if (::InterlockedCompareExchangePointer(&slot, nullptr, handle) == handle) {
            return;
        }
    }
}

DWORD WINAPI TrackedTlsAlloc() {
    const DWORD index = realTlsAlloc();
    if (index != TLS_OUT_OF_INDEXES) {
        const LONG slot = ::InterlockedIncrement(&g_tlsCount) - 1;
        if (slot < kSlots) {
            g_tlsIndexes[slot] = index;
        }
    }
    return index;
}

HANDLE WINAPI TrackedCreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset,
                                  BOOL initialState, LPCSTR name) {
    const HANDLE event = realCreateEventA(security, manualReset, initialState, name);
    HoldHandle(event);
    return event;
}

BOOL WINAPI TrackedDuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess,
                                   LPHANDLE target, DWORD access, BOOL inherit, DWORD options) {
    const BOOL done = realDuplicateHandle(sourceProcess, source, targetProcess, target, access,
                                          inherit, options);
    // Only a handle that ends up in this process is ours to give back.
    if (done && target != nullptr && ::GetProcessId(targetProcess) == ::GetCurrentProcessId()) {
        HoldHandle(*target);
    }
    return done;
}

BOOL WINAPI TrackedCloseHandle(HANDLE handle) {
    ForgetHandle(handle);
    return realCloseHandle(handle);
}

void ReleaseRuntime() {
    // The thread that frees the library is, as a rule, the one that loaded it.
    if (__xl_f != nullptr) {
        __xl_f(nullptr, DLL_THREAD_DETACH, nullptr);
    }
    __gnu_cxx::__freeres();
    for (void* volatile& slot : g_handles) {
        if (void* handle = ::InterlockedExchangePointer(&slot, nullptr)) {
            realCloseHandle(handle);
        }
    }
    const LONG count = g_tlsCount < kSlots ? g_tlsCount : kSlots;
    for (LONG i = 0; i < count; ++i) {
        ::TlsFree(g_tlsIndexes[i]);
    }
    g_tlsCount = 0;
}

// Registered before any other constructor of the library, so that it runs after every
// destructor when the library is freed (the library's exit list runs last in, first out).
__attribute__((constructor(101))) void RegisterRelease() {
    std::atexit(&ReleaseRuntime);
}

} // namespace

extern "C" {
extern const TlsAllocFn wrappedTlsAlloc asm(SUITE_IMPORT("__wrap_", TlsAlloc, 0));
const TlsAllocFn wrappedTlsAlloc = &TrackedTlsAlloc;
extern const CreateEventAFn wrappedCreateEventA asm(SUITE_IMPORT("__wrap_", CreateEventA, 16));
const CreateEventAFn wrappedCreateEventA = &TrackedCreateEventA;
extern const DuplicateHandleFn wrappedDuplicateHandle asm(SUITE_IMPORT("__wrap_", DuplicateHandle,
                                                                       28));
const DuplicateHandleFn wrappedDuplicateHandle = &TrackedDuplicateHandle;
extern const CloseHandleFn wrappedCloseHandle asm(SUITE_IMPORT("__wrap_", CloseHandle, 4));
const CloseHandleFn wrappedCloseHandle = &TrackedCloseHandle;
}
