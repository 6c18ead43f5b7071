// The modules loaded in the process that owns the foreground window, kept between checks.
//
// Listing another process's modules is the dearest thing the tray does while idle: every path
// is a read of that process's memory. The list is therefore kept for as long as the same
// process stays in front (its handle is held, so its id cannot pass to a new process), and
// only modules that appeared since the last look have their paths read.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/UniqueHandle.h"
#include "logic/LinkedMatch.h"

namespace tray {

class ForegroundModules {
public:
    // Full paths of at most the first 1024 modules of the process owning `window`; empty when
    // there is none or its process cannot be opened or listed.
    const ModuleList& Of(HWND window);

    // How many paths were read from the process so far; the rest came from the cache.
    unsigned long PathsRead() const { return pathsRead_; }

private:
    void Forget();

    DWORD processId_ = 0;
    framework::UniqueKernelHandle process_;
    std::vector<HMODULE> handles_;
    ModuleList paths_;
    unsigned long pathsRead_ = 0;
};

// Case-insensitive comparison by the system's multi-byte rules.
bool SameTextMultiByte(std::string_view a, std::string_view b);

} // namespace tray
