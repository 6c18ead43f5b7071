#include "ForegroundModules.h"

#include <windows.h>
#include <mbstring.h>
#include <psapi.h>

#include <algorithm>
#include <string>

#include "framework/UniqueHandle.h"

namespace tray {

namespace {

constexpr DWORD kMaxModules = 1024;

} // namespace

ModuleList ForegroundProcessModules() {
    ModuleList paths;
    const HWND foreground = ::GetForegroundWindow();
    if (foreground == nullptr) {
        return paths;
    }
    DWORD processId = 0;
    ::GetWindowThreadProcessId(foreground, &processId);
    if (processId == 0) {
        return paths;
    }
    framework::UniqueKernelHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) {
        return paths;
    }
    HMODULE modules[kMaxModules] = {};
    DWORD needed = 0;
    if (!::EnumProcessModules(process.Get(), modules, sizeof modules, &needed)) {
        return paths;
    }
    const DWORD count = std::min<DWORD>(needed / sizeof(HMODULE), kMaxModules);
    for (DWORD i = 0; i < count; ++i) {
        char path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameExA(process.Get(), modules[i], path, MAX_PATH);
        if (length > 0) {
            paths.emplace_back(path, std::min<DWORD>(length, MAX_PATH - 1));
        }
    }
    return paths;
}

bool SameTextMultiByte(std::string_view a, std::string_view b) {
    const std::string left(a);
    const std::string right(b);
    return ::_mbsicmp(reinterpret_cast<const unsigned char*>(left.c_str()),
                      reinterpret_cast<const unsigned char*>(right.c_str())) == 0;
}

} // namespace tray
