// Installs the emulated notebook's battery bays: the root-enumerated devices
// ROOT\NOTEBOOKBATTERY\0000 (and 0001 with two bays) and the demand-start kernel service
// NotebookBattery for system32\drivers\NotebookBattery.sys, then has the driver host pick them
// up at once. Running it again with the same settings changes nothing.
#pragma once

#include <string>

namespace emulator {

struct BayOptions {
    int slots = 0;              // 1 or 2; 0 keeps what is installed (one bay on a new prefix)
    std::string powerSupplyDir; // Windows path of the tree; empty keeps what is set
};

// One line for the person who ran the set-up; ok is false when the bays could not be made.
struct BayResult {
    bool ok = false;
    std::string message;
};

BayResult InstallBatteryBays(const BayOptions& options);
BayResult RemoveBatteryBays();

} // namespace emulator
