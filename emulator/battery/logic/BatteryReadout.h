// One battery bay as Linux describes it in a power-supply tree (/sys/class/power_supply or a
// fake one): bay n is the supply "BATn", the mains adapters are the supplies of type "Mains".
// Values are turned into the battery class's units with the arithmetic Wine's own power status
// uses (µAh × µV / 10^9 = mWh), so that the gauge and the device always agree. Anything
// missing, unreadable or absurd reads as unknown or as an empty bay; nothing here fails.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "BatteryRecords.h"

namespace battery {

// How the readout reaches the tree; the driver reads files, the tests answer from a table.
struct SupplyTree {
    // Attribute `name` of supply `supply` as text (NUL-terminated, at most size - 1 bytes);
    // false when it cannot be read.
    bool (*read)(void* context, const char* supply, const char* name, char* text, size_t size);
    // The name of the index-th supply of the tree; false past the last.
    bool (*entry)(void* context, unsigned index, char* name, size_t size);
    void* context;
};

inline constexpr size_t kNameSize = 64; // bytes kept of a name, with its terminator
inline constexpr unsigned kMaxBays = 2;

struct BayReadout {
    bool present = false;
    uint32_t powerState = 0;
    uint32_t capacity = kUnknownCapacity;     // mWh
    uint32_t fullCapacity = kUnknownCapacity; // mWh
    uint32_t designCapacity = kUnknownCapacity;
    // The design figure as the tree gives it (µAh or µWh, -1 when absent): unlike the mWh
    // figures it does not move with the voltage, so it can help name the pack.
    int64_t designRaw = -1;
    uint32_t voltage = kUnknownVoltage; // mV
    int32_t rate = kUnknownRate;        // mW, negative while discharging
    uint32_t cycleCount = 0;
    char chemistry[4] = {};
    bool hasTemperature = false;
    uint32_t temperature = 0; // tenths of a kelvin
    bool hasDate = false;
    uint8_t day = 0, month = 0;
    uint16_t year = 0;
    char deviceName[kNameSize] = {};
    char manufacturer[kNameSize] = {};
    char serialNumber[kNameSize] = {};
};

// A decimal number with an optional sign and surrounding blanks; false for anything else or
// for a number beyond ±2^53.
bool ParseNumber(const char* text, int64_t& value);

// On mains when any supply of type "Mains" is online; a tree without one (a desktop) or
// without any readable supply counts as on mains, as Wine's power status does.
bool ReadAcOnline(const SupplyTree& tree);

// Bay `bay` (0 or 1) at this moment.
BayReadout ReadBay(const SupplyTree& tree, unsigned bay, bool acOnline);

// Four chemistry characters for Linux's technology text ("NiMH", "LION", ...), zeros when
// unknown.
void ChemistryFor(const char* technology, char chemistry[4]);

} // namespace battery
