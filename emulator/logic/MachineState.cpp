#include "MachineState.h"

#include <array>
#include <cstdio>

#include "NumberText.h"

namespace emulator {

namespace {

// Defaults are those of a freshly booted notebook on mains: full brightness, full clock, the
// fan cooling, every wake bit clear, a young battery, a power manager that may be changed and
// a machine that can stand by (S3), hibernate (S4) and switch off (S5).
constexpr std::array kValues{
    StateValueInfo{StateValue::Brightness, "Brightness", ValueKind::Percent, 100},
    StateValueInfo{StateValue::ProcessorClock, "ProcessorClock", ValueKind::Word, 1733},
    StateValueInfo{StateValue::ProcessorThrottle, "ProcessorThrottle", ValueKind::Word, 0},
    StateValueInfo{StateValue::FanMode, "FanMode", ValueKind::Byte, 2},
    StateValueInfo{StateValue::WakeBits, "TKPE", ValueKind::Byte, 0},
    StateValueInfo{StateValue::ChargeCycles, "ChargeCycles", ValueKind::Word16, 12},
    StateValueInfo{StateValue::EcEventFlag, "ECEventFlag", ValueKind::Byte, 0},
    StateValueInfo{StateValue::CanUserWritePwrScheme, "CanUserWritePwrScheme", ValueKind::Flag, 1},
    StateValueInfo{StateValue::CapS1, "CapS1", ValueKind::Flag, 0},
    StateValueInfo{StateValue::CapS2, "CapS2", ValueKind::Flag, 0},
    StateValueInfo{StateValue::CapS3, "CapS3", ValueKind::Flag, 1},
    StateValueInfo{StateValue::CapS4, "CapS4", ValueKind::Flag, 1},
    StateValueInfo{StateValue::CapS5, "CapS5", ValueKind::Flag, 1},
    StateValueInfo{StateValue::CapLid, "CapLid", ValueKind::Flag, 1},
    StateValueInfo{StateValue::CapSleepButton, "CapSleepButton", ValueKind::Flag, 1},
    StateValueInfo{StateValue::CapPowerButton, "CapPowerButton", ValueKind::Flag, 1},
    StateValueInfo{StateValue::HiberFile, "HiberFile", ValueKind::Flag, 1},
};

struct EcDefault {
    std::uint8_t reg;
    std::uint8_t value;
};

// A 4400 mAh pack that now holds 4300 mAh, status word 0 (no damage bits).
constexpr std::array kEcDefaults{
    EcDefault{0xCA, 0x30}, EcDefault{0xCB, 0x11}, // design capacity 0x1130
    EcDefault{0xCC, 0xCC}, EcDefault{0xCD, 0x10}, // full-charge capacity 0x10CC
};

constexpr std::array<const char*, 4> kProfileNames{"default", "model25", "features-off",
                                                   "load-fails"};

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::span<const StateValueInfo> AllStateValues() {
    return kValues;
}

const StateValueInfo& Describe(StateValue value) {
    for (const auto& info : kValues) {
        if (info.id == value) {
            return info;
        }
    }
    return kValues.front();
}

bool FitsKind(ValueKind kind, std::uint32_t word) {
    switch (kind) {
    case ValueKind::Flag:
        return word <= 1;
    case ValueKind::Byte:
        return word <= 0xFF;
    case ValueKind::Word16:
        return word <= 0xFFFF;
    case ValueKind::Percent:
        return word <= 100;
    case ValueKind::Word:
        return true;
    }
    return false;
}

std::uint32_t Interpret(ValueKind kind, std::uint32_t fallback, const RawValue& raw) {
    std::optional<std::uint32_t> word;
    if (raw.type == RawValue::Type::Word) {
        word = raw.word;
    } else if (raw.type == RawValue::Type::Text) {
        word = ParseNumber(raw.text);
    }
    if (!word) {
        return fallback;
    }
    if (kind == ValueKind::Flag) {
        return *word != 0 ? 1 : 0;
    }
    return FitsKind(kind, *word) ? *word : fallback;
}

bool IsKeptEcRegister(std::uint8_t reg) {
    return reg >= kFirstEcRegister && reg <= kLastEcRegister;
}

std::string EcRegisterValueName(std::uint8_t reg) {
    if (!IsKeptEcRegister(reg) || reg == kCycleCountLowRegister || reg == kCycleCountHighRegister) {
        return {};
    }
    char name[8];
    std::snprintf(name, sizeof name, "EC_%02X", static_cast<unsigned>(reg));
    return name;
}

std::uint8_t EcRegisterDefault(std::uint8_t reg) {
    for (const auto& d : kEcDefaults) {
        if (d.reg == reg) {
            return d.value;
        }
    }
    return 0;
}

std::optional<ModelProfile> ParseModelProfile(std::string_view name) {
    for (std::size_t i = 0; i < kProfileNames.size(); ++i) {
        if (EqualNoCase(name, kProfileNames[i])) {
            return static_cast<ModelProfile>(i);
        }
    }
    return std::nullopt;
}

const char* ModelProfileName(ModelProfile profile) {
    return kProfileNames[static_cast<std::size_t>(profile)];
}

std::uint32_t MachineState::Get(StateValue value) {
    const StateValueInfo& info = Describe(value);
    return Interpret(info, store_.Read(info.name));
}

bool MachineState::Set(StateValue value, std::uint32_t word) {
    const StateValueInfo& info = Describe(value);
    if (!FitsKind(info.kind, word)) {
        return false;
    }
    return store_.WriteWord(info.name, word);
}

std::uint8_t MachineState::EcRegister(std::uint8_t reg) {
    if (!IsKeptEcRegister(reg)) {
        return 0;
    }
    if (reg == kCycleCountLowRegister || reg == kCycleCountHighRegister) {
        const std::uint32_t cycles = Get(StateValue::ChargeCycles);
        return static_cast<std::uint8_t>(reg == kCycleCountLowRegister ? cycles : cycles >> 8);
    }
    return static_cast<std::uint8_t>(
        Interpret(ValueKind::Byte, EcRegisterDefault(reg), store_.Read(EcRegisterValueName(reg))));
}

ModelProfile MachineState::Profile() {
    const RawValue raw = store_.Read(kModelProfileValue);
    if (raw.type != RawValue::Type::Text) {
        return ModelProfile::Default;
    }
    return ParseModelProfile(raw.text).value_or(ModelProfile::Default);
}

std::string MachineState::JournalPathSetting() {
    const RawValue raw = store_.Read(kJournalPathValue);
    return raw.type == RawValue::Type::Text ? raw.text : std::string();
}

} // namespace emulator
