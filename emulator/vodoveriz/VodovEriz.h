// The key the emulated notebook reports as its Fn key. The entry points of VodovEriz.dll are
// the suite's contract (NotebookInterfaces.h).
#pragma once

#include <windows.h>

#include "NotebookInterfaces.h"

namespace notebook {

// VK_LAUNCH_MEDIA_SELECT. Under Wine the X key symbol XF86AudioMedia (key code 234 of the usual
// X keyboard map) arrives as this key, so `xdotool key XF86AudioMedia` presses Fn.
inline constexpr DWORD kFnVirtualKey = 0xB5;

} // namespace notebook
