// What the battery driver reads and writes through the kernel's file and registry calls: the
// power-supply tree its service names, and the notebook's call journal.
#pragma once

#include "KernelHeaders.h"

#include "BatteryReadout.h"

namespace kernel_files {

// The service's registry key, kept for reading its Parameters at every request.
NTSTATUS Remember(const UNICODE_STRING* registryPath);
void Forget();

// The tree as it is now: Parameters\PowerSupplyDir (a Windows path such as
// Z:\tmp\x\power_supply), or Linux's own tree when the value is missing or empty; a value
// that cannot be used whole (too long, another type) names no tree at all.
class PowerSupplyTree {
public:
    PowerSupplyTree();
    ~PowerSupplyTree();
    PowerSupplyTree(const PowerSupplyTree&) = delete;
    PowerSupplyTree& operator=(const PowerSupplyTree&) = delete;

    battery::SupplyTree Access();

private:
    static bool Read(void* context, const char* supply, const char* name, char* text, size_t size);
    static bool Entry(void* context, unsigned index, char* name, size_t size);
    void List();

    // As many supplies as the readout looks through, so that none can hide the mains.
    static constexpr unsigned kMaxEntries = 32;
    WCHAR directory_[260];
    bool listed_ = false;
    unsigned count_ = 0;
    char (*names_)[battery::kNameSize] = nullptr; // kMaxEntries names, from the pool
};

// Appends one line to the journal (the emulator's JournalPath, else
// C:\windows\NotebookJournal.txt).
void Journal(const char* function, const char* arguments, const char* result);

} // namespace kernel_files
