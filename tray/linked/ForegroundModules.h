// The modules loaded in the process that owns the foreground window, kept between checks.
//
// Listing another process's modules is the dearest thing the tray does while idle: every path
// is a read of that process's memory. The list is therefore kept for as long as the same
// process stays in front (its handle is held, so its id cannot pass to a new process), and
// only modules that appeared since the last look have their paths read. Between two looks the
// list is walked again only when the head of the process's module list has moved (one read
// instead of one per module), and at the latest every kLooksPerWalk looks.
//
// Which window is in front is told by the caller (Follow), who learns it from the system's
// events; a look (Paths) then costs that one read.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/UniqueHandle.h"
#include "tray/logic/LinkedMatch.h"

namespace tray {

class ForegroundModules {
public:
    // Full paths of at most the first 1024 modules of the process owning `window`; empty when
    // there is none or its process cannot be opened or listed. Follow, then Paths.
    const ModuleList& Of(HWND window);

    // `window` is now in front: its process is opened unless it is the one already held.
    void Follow(HWND window);
    // The modules of the process followed.
    const ModuleList& Paths();
    // The list as the last look left it, without looking.
    const ModuleList& LastPaths() const { return paths_; }
    // That process (it can be waited on for its end), or null.
    HANDLE Process() const { return process_.Get(); }

    // How many paths were read from the process so far; the rest came from the cache.
    unsigned long PathsRead() const { return pathsRead_; }
    // How many times the module list was walked.
    unsigned long Walks() const { return walks_; }
    // Changes whenever the list Paths() returns may have changed (another process, or modules
    // loaded or freed): an answer drawn from the list holds while this stays the same.
    unsigned long Generation() const { return generation_; }

    // A module freed and another loaded into the same list entry between two looks leaves the
    // head as it was; the periodic walk bounds how long that goes unseen. Ten minutes of
    // ticks: such a swap within one second is rare, and a walk reads every entry (in an idle
    // hour, a walk a minute cost as much as all the ticks' own reads together).
    static constexpr unsigned kLooksPerWalk = 600;

private:
    void Forget();
    bool ReadListHead(LIST_ENTRY& head);

    DWORD processId_ = 0;
    framework::UniqueKernelHandle process_;
    std::vector<HMODULE> handles_;
    ModuleList paths_;
    // Where the process keeps the head of its in-memory-order module list (its address), and
    // the head as it was at the last walk.
    const void* listHeadAddress_ = nullptr;
    LIST_ENTRY listHead_{};
    bool listHeadKnown_ = false;
    unsigned looksSinceWalk_ = 0;
    unsigned long pathsRead_ = 0;
    unsigned long walks_ = 0;
    unsigned long generation_ = 0;
};

// Case-insensitive comparison by the system's multi-byte rules.
bool SameTextMultiByte(std::string_view a, std::string_view b);

} // namespace tray
