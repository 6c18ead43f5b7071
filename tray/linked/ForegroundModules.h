// The modules loaded in the process that owns the foreground window, kept between checks.
//
// Listing another process's modules is the dearest thing the tray does while idle: every path
// is a read of that process's memory. The process is therefore kept for as long as it stays in
// front (its handle is held, so its id cannot pass to a new process). Each look lists the
// module addresses; only modules at addresses not seen before have their paths read.
//
// Which window is in front is told by the caller (Follow), who learns it from the system's
// events.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/UniqueHandle.h"
#include "tray/logic/LinkedMatch.h"

namespace tray {

class ForegroundModules {
public:
    // `window` is now in front: its process is opened unless it is the one already held.
    void Follow(HWND window);
    // Full paths of at most the first 1024 modules of the process followed; empty when there
    // is none or its process cannot be opened or listed.
    const ModuleList& Paths();
    // The list as the last look left it, without looking.
    const ModuleList& LastPaths() const { return paths_; }
    // That process when its end can be waited for (it was opened with SYNCHRONIZE), or null.
    HANDLE Process() const { return waitable_ ? process_.Get() : nullptr; }

    // How many paths were read from the process so far; the rest came from the cache.
    unsigned long PathsRead() const { return pathsRead_; }
    // How many times every path was read again.
    unsigned long Rereads() const { return rereads_; }
    // Changes whenever the list Paths() returns has changed (another process, or modules
    // loaded or freed): an answer drawn from the list holds while this stays the same.
    unsigned long Generation() const { return generation_; }

    // A module freed and another loaded at the same address between two looks leaves the
    // addresses as they were; every so many looks all paths are read again, which bounds how
    // long that goes unseen. Ten minutes of ticks: such a swap is rare, and a re-read costs
    // as many reads as the process has modules.
    static constexpr unsigned kLooksPerReread = 600;

private:
    void Forget();

    DWORD processId_ = 0;
    framework::UniqueKernelHandle process_;
    bool waitable_ = false;
    std::vector<HMODULE> handles_;
    ModuleList paths_;
    unsigned looksSinceReread_ = 0;
    unsigned long pathsRead_ = 0;
    unsigned long rereads_ = 0;
    unsigned long generation_ = 0;
};

// Case-insensitive comparison by the system's multi-byte rules.
bool SameTextMultiByte(std::string_view a, std::string_view b);

} // namespace tray
