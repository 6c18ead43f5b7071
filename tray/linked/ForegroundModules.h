// The modules loaded in the process that owns the foreground window, kept between checks.
//
// Listing another process's modules is the dearest thing the tray does while idle: every path
// is a read of that process's memory. The process is therefore kept for as long as it stays in
// front (its handle is held, so its id cannot pass to a new process), and only modules at
// addresses not seen before have their paths read. Between two looks the list is taken again
// only when the head of the process's module list has moved (one read instead of one per
// module), which every load does; a caller whose answer rests on a module being present asks
// for the whole list, since a module freed from the middle leaves the head as it was.
//
// Which window is in front is told by the caller (Follow), who learns it from the system's
// events.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <vector>

#include "framework/UniqueHandle.h"
#include "tray/logic/LinkedMatch.h"

namespace tray {

class ForegroundModules {
public:
    ForegroundModules();

    // `window` is now in front: its process is opened unless it is the one already held.
    void Follow(HWND window);
    // ForLoads: what was loaded since the last look is seen (a list without the modules
    // freed from its middle is enough where no module has matched). ForFrees: every change.
    enum class Look { ForLoads, ForFrees };
    // Full paths of at most the first 1024 modules of the process followed; empty when there
    // is none or its process cannot be opened or listed.
    const ModuleList& Paths(Look look = Look::ForFrees);
    // The list as the last look left it, without looking.
    const ModuleList& LastPaths() const { return paths_; }
    // That process when its end can be waited for (it was opened with SYNCHRONIZE), or null.
    HANDLE Process() const { return waitable_ ? process_.Get() : nullptr; }

    // How many paths were read from the process so far; the rest came from the cache.
    unsigned long PathsRead() const { return pathsRead_; }
    // How many times every path was read again, and the list was taken.
    unsigned long Rereads() const { return rereads_; }
    unsigned long Listings() const { return listings_; }
    // Changes whenever the list Paths() returns has changed (another process, or modules
    // loaded or freed): an answer drawn from the list holds while this stays the same.
    unsigned long Generation() const { return generation_; }

    // A module freed and another loaded at the same address between two looks leaves the
    // addresses as they were; every so many looks all paths are read again, which bounds how
    // long that goes unseen. Ten minutes of ticks: such a swap is rare, and a re-read costs
    // as many reads as the process has modules.
    static constexpr unsigned kLooksPerReread = 600;

private:
    using QueryFn = decltype(&::NtQueryInformationProcess);

    void Forget();
    bool ReadListHead(LIST_ENTRY& head);

    DWORD processId_ = 0;
    framework::UniqueKernelHandle process_;
    bool waitable_ = false;
    std::vector<HMODULE> handles_;
    ModuleList paths_;
    QueryFn query_;
    // Where the process keeps the head of its in-memory-order module list (its address), and
    // the head as it was at the last look.
    const void* listHeadAddress_ = nullptr;
    LIST_ENTRY listHead_{};
    bool listHeadKnown_ = false;
    unsigned looksSinceReread_ = 0;
    unsigned long listings_ = 0;
    unsigned long pathsRead_ = 0;
    unsigned long rereads_ = 0;
    unsigned long generation_ = 0;
};

// Case-insensitive comparison by the system's multi-byte rules.
bool SameTextMultiByte(std::string_view a, std::string_view b);

} // namespace tray
