// The emulated notebook's state kept in a map, for the tests of what reads and writes it.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "MachineState.h"

namespace testing_support {

class MapStore final : public emulator::ValueStore {
public:
    emulator::RawValue Read(const std::string& name) override {
        const auto it = values.find(name);
        return it == values.end() ? emulator::RawValue{} : it->second;
    }
    // Refused while readOnly, as a store the emulator may not write.
    bool WriteWord(const std::string& name, std::uint32_t value) override {
        if (readOnly) {
            return false;
        }
        values[name] = emulator::RawValue{emulator::RawValue::Type::Word, value, {}};
        return true;
    }
    void Word(const std::string& name, std::uint32_t value) { WriteWord(name, value); }
    void Text(const std::string& name, const std::string& text) {
        values[name] = emulator::RawValue{emulator::RawValue::Type::Text, 0, text};
    }
    std::map<std::string, emulator::RawValue> values;
    bool readOnly = false;
};

} // namespace testing_support
