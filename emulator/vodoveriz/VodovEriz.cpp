// VodovEriz.dll of the emulated notebook: the hot-key library. One low-level keyboard hook per
// process; while it runs, every press and release of the notebook's Fn key is posted to the
// window the caller named, with the caller's message number. Every call is journalled, and so
// is every Fn key the hook passes on.
//
// The Fn key of the emulated notebook is VK_LAUNCH_MEDIA_SELECT (0xB5, VodovEriz.h): a key
// most PC keyboards lack, and one that Wine maps from an X key symbol every X server has, so a
// test can press it with xdotool.
#include <windows.h>

#include <string>

#include "Journal.h"
#include "VodovEriz.h"

namespace {

// The hook, the window and the message of the running hook. A low-level hook is called on
// the thread that installed it, so only that thread reads these while the hook runs.
struct HookState {
    HHOOK hook = nullptr;
    HWND window = nullptr;
    UINT message = 0;
};

HookState g_state;
HINSTANCE g_module = nullptr;

std::string ResultText(bool ok, DWORD error) {
    return ok ? "1" : "0 error=" + std::to_string(error);
}

const char* KeyTransition(WPARAM keyMessage) {
    return keyMessage == WM_KEYUP || keyMessage == WM_SYSKEYUP ? "up" : "down";
}

LRESULT CALLBACK LowLevelKeyboard(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && lParam != 0) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (key->vkCode == notebook::kFnVirtualKey && g_state.window != nullptr) {
            // Posted, never sent: a low-level hook that blocks stalls the whole input queue.
            const bool posted =
                ::PostMessageA(g_state.window, g_state.message, key->vkCode, wParam) != FALSE;
            emulator::ArgumentList arguments;
            arguments.AddWord("key", KeyTransition(wParam))
                .AddHex("message", g_state.message)
                .AddWord("injected", (key->flags & LLKHF_INJECTED) != 0 ? "TRUE" : "FALSE");
            emulator::JournalCall("VodovEriz", "FnKey", arguments.Text(),
                                  posted ? "posted"
                                         : "lost error=" + std::to_string(::GetLastError()));
        }
    }
    // The key goes on to the system: the notebook's own key means nothing to other programs.
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Removes the running hook; true when there was one and it came off.
bool RemoveHook() {
    if (g_state.hook == nullptr) {
        return false;
    }
    const bool removed = ::UnhookWindowsHookEx(g_state.hook) != FALSE;
    g_state = HookState{};
    return removed;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

// Installs the hook for this window and message; a hook already running is removed first, so
// a process never holds two. Non-zero when the hook is installed.
extern "C" int __cdecl KeyboardHook_Start(HWND window, UINT message) {
    const bool replaced = RemoveHook();
    DWORD error = ERROR_SUCCESS;
    if (::IsWindow(window)) {
        g_state.hook = ::SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelKeyboard, g_module, 0);
        if (g_state.hook != nullptr) {
            g_state.window = window;
            g_state.message = message;
        } else {
            error = ::GetLastError();
        }
    } else {
        error = ERROR_INVALID_WINDOW_HANDLE;
    }
    emulator::ArgumentList arguments;
    arguments.AddPointer("window", window).AddHex("message", message);
    if (replaced) {
        arguments.AddWord("replaced", "TRUE");
    }
    const bool installed = g_state.hook != nullptr;
    emulator::JournalCall("VodovEriz", "KeyboardHook_Start", arguments.Text(),
                          ResultText(installed, error));
    ::SetLastError(error);
    return installed ? 1 : 0;
}

// Removes the hook. Non-zero when a running hook was removed, 0 when none was running.
extern "C" int __cdecl KeyboardHook_Stop() {
    const bool running = g_state.hook != nullptr;
    const bool removed = RemoveHook();
    const DWORD error = running && !removed ? ::GetLastError() : ERROR_SUCCESS;
    emulator::JournalCall("VodovEriz", "KeyboardHook_Stop", "",
                          running ? ResultText(removed, error) : "0 running=FALSE");
    return removed ? 1 : 0;
}
