// The entry points of VodovEriz.dll as a caller binds them by name, and the key the emulated
// notebook reports as its Fn key. Both entry points are cdecl: the caller removes the
// arguments.
#pragma once

#include <windows.h>

namespace notebook {

// VK_LAUNCH_MEDIA_SELECT. Under Wine the X key symbol XF86AudioMedia (key code 234 of the usual
// X keyboard map) arrives as this key, so `xdotool key XF86AudioMedia` presses Fn.
inline constexpr DWORD kFnVirtualKey = 0xB5;

using KeyboardHookStartFn = int(__cdecl*)(HWND window, UINT message);
using KeyboardHookStopFn = int(__cdecl*)();

} // namespace notebook
