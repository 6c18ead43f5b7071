// The one state of the emulated notebook. Its values live in a value store (the registry key
// of the emulator under Windows, a map in tests); this layer knows their names, their defaults
// and what a damaged value means, so every library reads the machine the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace emulator {

// HKEY_LOCAL_MACHINE, so that every user and process of the prefix sees one machine.
inline constexpr char kStateKeyPath[] = "SOFTWARE\\Notebook Emulator";
inline constexpr char kJournalPathValue[] = "JournalPath";
inline constexpr char kModelProfileValue[] = "ModelProfile";

enum class StateValue {
    Brightness,        // panel brightness in percent, last sent through BCME
    ProcessorClock,    // last CLCK value
    ProcessorThrottle, // last ATSI value
    FanMode,           // last NAFC value: 2 fan cools, 0 silent
    WakeBits,          // the TKPE bit set: 0x20 resume on lid open, 0x40 hibernate
    ChargeCycles,      // CLTB, and EC registers 0xEB/0xEC
    EcEventFlag,       // byte the EC reports for its event query
    CanUserWritePwrScheme,
    CapS1,
    CapS2,
    CapS3,
    CapS4,
    CapS5,
    CapLid,
    CapSleepButton,
    CapPowerButton,
    HiberFile, // the hibernation file exists (reserved through the power manager)
};

enum class ValueKind {
    Flag,    // any non-zero word reads as 1
    Byte,    // 0..0xFF
    Word16,  // 0..0xFFFF
    Percent, // 0..100
    Word,    // any 32-bit word
};

struct StateValueInfo {
    StateValue id;
    const char* name;
    ValueKind kind;
    std::uint32_t fallback;
};

std::span<const StateValueInfo> AllStateValues();
const StateValueInfo& Describe(StateValue value);

// Whether a word is a valid content for a value of this kind.
bool FitsKind(ValueKind kind, std::uint32_t word);

// A value as the store holds it. Words may also be given as text ("5", "0x41"), which is what
// `reg add` writes when the type is left out.
struct RawValue {
    enum class Type { Missing, Word, Text, Other };
    Type type = Type::Missing;
    std::uint32_t word = 0;
    std::string text;
};

// The usable content of a value: the default when it is missing, of another type or out of
// the range of its kind.
std::uint32_t Interpret(ValueKind kind, std::uint32_t fallback, const RawValue& raw);
inline std::uint32_t Interpret(const StateValueInfo& info, const RawValue& raw) {
    return Interpret(info.kind, info.fallback, raw);
}

// Embedded-controller registers the emulator keeps: 0xCA..0xEF. Each is a value "EC_xx" (upper
// case hex) except 0xEB/0xEC, the low and high byte of the charge-cycle count.
inline constexpr std::uint8_t kFirstEcRegister = 0xCA;
inline constexpr std::uint8_t kLastEcRegister = 0xEF;
inline constexpr std::uint8_t kCycleCountLowRegister = 0xEB;
inline constexpr std::uint8_t kCycleCountHighRegister = 0xEC;

bool IsKeptEcRegister(std::uint8_t reg);
// The value name of a register kept as its own value; empty for the cycle-count bytes and for
// registers outside the kept range.
std::string EcRegisterValueName(std::uint8_t reg);
std::uint8_t EcRegisterDefault(std::uint8_t reg);

// Profiles of the notebook policy record. A name the emulator does not know reads as Default.
enum class ModelProfile { Default, Model25, FeaturesOff, LoadFails };

std::optional<ModelProfile> ParseModelProfile(std::string_view name);
const char* ModelProfileName(ModelProfile profile);

// Where the values are kept.
class ValueStore {
public:
    virtual ~ValueStore() = default;
    virtual RawValue Read(const std::string& name) = 0;
    virtual bool WriteWord(const std::string& name, std::uint32_t value) = 0;
};

class MachineState {
public:
    explicit MachineState(ValueStore& store) : store_(store) {}

    std::uint32_t Get(StateValue value);
    // Refuses (false, nothing stored) a word outside the value's range.
    bool Set(StateValue value, std::uint32_t word);

    // 0 for a register the emulator does not keep.
    std::uint8_t EcRegister(std::uint8_t reg);
    ModelProfile Profile();
    // The journal location as configured; empty when not set (the caller picks the default).
    std::string JournalPathSetting();

private:
    ValueStore& store_;
};

} // namespace emulator
