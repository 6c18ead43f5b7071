// The machine state's values in the emulator's own registry key, read afresh at every call so
// that a person (`wine reg add`) or a test can change the machine between two calls.
#pragma once

#include "MachineState.h"

namespace emulator {

class RegistryValueStore final : public ValueStore {
public:
    RawValue Read(const std::string& name) override;
    bool WriteWord(const std::string& name, std::uint32_t value) override;
};

// The machine state as every library of the emulator reads it.
class RegistryMachine {
public:
    MachineState& State() { return state_; }

private:
    RegistryValueStore store_;
    MachineState state_{store_};
};

} // namespace emulator
