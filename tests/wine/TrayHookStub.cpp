// Stand-in for the hot-key library in the tray's tests: records its calls in order and answers
// starts as the test asks.
#include <windows.h>

#include <cstring>

namespace {

char gCalls[512] = {};
int gStartResult = 1;

void Record(const char* call) {
    const std::size_t used = std::strlen(gCalls);
    const std::size_t length = std::strlen(call);
    if (used + length < sizeof gCalls) {
        std::memcpy(gCalls + used, call, length + 1);
    }
}

} // namespace

extern "C" __declspec(dllexport) int __cdecl KeyboardHook_Start(HWND window, UINT message) {
    Record(::IsWindow(window) && message == 0x8032 ? "start;" : "start(bad);");
    return gStartResult;
}

extern "C" __declspec(dllexport) int __cdecl KeyboardHook_Stop() {
    Record("stop;");
    return 1;
}

extern "C" __declspec(dllexport) const char* __cdecl StubCalls() {
    return gCalls;
}

extern "C" __declspec(dllexport) void __cdecl StubReset(int startResult) {
    gCalls[0] = '\0';
    gStartResult = startResult;
}
