// The module the framework is linked into: the program, or the applet library inside the
// Control Panel's process. Its resources (dialogs, menus, strings) are the ones we load.
#pragma once

#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace framework {

inline HINSTANCE ModuleInstance() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

} // namespace framework
