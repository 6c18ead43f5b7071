// Linked into every library of the suite. The statically linked thread run-time takes a TLS
// index when a library starts and never gives it back, so a process that loads and frees one
// of our libraries again and again (the power library at every apply) runs out of indexes
// after about a thousand loads and ends. Every TlsAlloc of the library goes through here, and
// what it took is given back when the library is freed.
//
// The link redirects the library's import of TlsAlloc (-Wl,--wrap, see WindowsBuild.cmake) to
// the pointer defined here; the real import stays reachable under its __real_ name.
#include <windows.h>

#if defined(_WIN64)
#define SUITE_IMPORT_NAME(prefix) prefix "__imp_TlsAlloc"
#else
#define SUITE_IMPORT_NAME(prefix) "_" prefix "_imp__TlsAlloc@0"
#endif

extern "C" DWORD(WINAPI* const realTlsAlloc)() asm(SUITE_IMPORT_NAME("__real_"));

namespace {

// The run-time takes one or two; more are kept up to this count and the rest left as they are.
constexpr LONG kTracked = 16;
DWORD g_taken[kTracked];
LONG g_count = 0;

DWORD WINAPI TrackedTlsAlloc() {
    const DWORD index = realTlsAlloc();
    if (index != TLS_OUT_OF_INDEXES) {
        const LONG slot = ::InterlockedIncrement(&g_count) - 1;
        if (slot < kTracked) {
            g_taken[slot] = index;
        }
    }
    return index;
}

// Called after the run-time's own callbacks (section order), so nothing of the library uses
// the indexes afterwards. At process exit (reserved non-null) nothing needs giving back.
void WINAPI ReleaseTls(PVOID, DWORD reason, PVOID reserved) {
    if (reason != DLL_PROCESS_DETACH || reserved != nullptr) {
        return;
    }
    const LONG count = g_count < kTracked ? g_count : kTracked;
    for (LONG i = 0; i < count; ++i) {
        ::TlsFree(g_taken[i]);
    }
    g_count = 0;
}

} // namespace

extern "C" DWORD(WINAPI* const wrappedTlsAlloc)() asm(SUITE_IMPORT_NAME("__wrap_"));
extern "C" DWORD(WINAPI* const wrappedTlsAlloc)() = &TrackedTlsAlloc;

extern "C" __attribute__((section(".CRT$XLY"), used))
const PIMAGE_TLS_CALLBACK suiteReleaseTls = &ReleaseTls;
