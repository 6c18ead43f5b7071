// Stand-in for the installer and policy libraries in the start tests. Its calls are counted in
// environment variables of the process, which outlive the library being unloaded.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Count(const char* name) {
    char text[16] = "0";
    GetEnvironmentVariableA(name, text, sizeof text);
    char next[16];
    std::snprintf(next, sizeof next, "%d", std::atoi(text) + 1);
    SetEnvironmentVariableA(name, next);
}

} // namespace

extern "C" __declspec(dllexport) int __cdecl Initial() {
    Count("HARDWARE_STUB_INITIAL_CALLS");
    return 1;
}

// Fills every byte with a pattern of its offset, then a model code and a version text.
extern "C" __declspec(dllexport) int __cdecl GetKvPolicy(void* record) {
    Count("HARDWARE_STUB_POLICY_CALLS");
#if HARDWARE_STUB_POLICY_FAILS
    (void)record;
    return 0;
#else
    auto* bytes = static_cast<unsigned char*>(record);
    for (int i = 0; i < 448; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 7);
    }
    bytes[4] = 0x25;
    std::memcpy(bytes + 5, "V1.23", 6);
    return 1;
#endif
}
