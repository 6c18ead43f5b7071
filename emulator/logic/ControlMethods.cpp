#include "ControlMethods.h"

#include <array>

namespace emulator {

namespace {

constexpr std::uint32_t kBrightness = 0x454D4342;    // "BCME": percent in, percent out
constexpr std::uint32_t kClock = 0x4B434C43;         // CLCK: clock value in, 0 out
constexpr std::uint32_t kThrottle = 0x41545349;      // ATSI: throttle value in, 0 out
constexpr std::uint32_t kFanMode = 0x4E414643;       // NAFC: 0..2 in, 0 out
constexpr std::uint32_t kCycleCount = 0x434C5442;    // CLTB: argument ignored, count out
constexpr std::uint32_t kWakeBits = 0x544B5045;      // TKPE: read, or with 1 read
constexpr std::uint32_t kWakeBitsWrite = 0x57544B50; // TKPE write: byte in, 0 out
constexpr std::uint32_t kFnUp = 0x466E5570;          // FnUp: no Fn key pending, 0
constexpr std::uint32_t kDijp = 0x44494A50;          // DIJP with 0: 0
constexpr std::uint32_t kKoso = 0x4B4F534F;          // KOSO with 0 or 1: echoed

struct Method {
    std::uint32_t code;
    const char* name;
};

constexpr std::array kMethods{
    Method{kBrightness, "BCME"},          Method{kClock, "CLCK"},
    Method{kThrottle, "EC0_.ATSI"},       Method{kFanMode, "EC0_.NAFC"},
    Method{kCycleCount, "EC0_.CLTB"},     Method{kWakeBits, "EC0_.TKPE"},
    Method{kWakeBitsWrite, "TKPE write"}, Method{kFnUp, "EC0_.FnUp"},
    Method{kDijp, "EC0_.DIJP"},           Method{kKoso, "EC0_.KOSO"},
};

int Stored(bool ok, int result) {
    return ok ? result : kMethodFailed;
}

int WithArgument(MachineState& state, std::uint32_t code, std::uint32_t argument) {
    switch (code) {
    case kBrightness:
        // The panel takes 0 to 100 percent; anything else leaves it as it is.
        if (argument > 100) {
            return kMethodFailed;
        }
        return Stored(state.Set(StateValue::Brightness, argument), static_cast<int>(argument));
    case kClock:
        return Stored(state.Set(StateValue::ProcessorClock, argument), 0);
    case kThrottle:
        return Stored(state.Set(StateValue::ProcessorThrottle, argument), 0);
    case kFanMode:
        if (argument > 2) {
            return kMethodFailed;
        }
        return Stored(state.Set(StateValue::FanMode, argument), 0);
    case kCycleCount:
        return static_cast<int>(state.Get(StateValue::ChargeCycles));
    case kWakeBits:
        return argument == 1 ? static_cast<int>(state.Get(StateValue::WakeBits)) : kMethodFailed;
    case kWakeBitsWrite:
        if (argument > 0xFF) {
            return kMethodFailed;
        }
        return Stored(state.Set(StateValue::WakeBits, argument), 0);
    case kDijp:
        return argument == 0 ? 0 : kMethodFailed;
    case kKoso:
        return argument <= 1 ? static_cast<int>(argument) : kMethodFailed;
    default:
        return kMethodFailed;
    }
}

int WithoutArgument(MachineState& state, std::uint32_t code) {
    switch (code) {
    case kWakeBits:
        return static_cast<int>(state.Get(StateValue::WakeBits));
    case kFnUp:
        return 0;
    default:
        return kMethodFailed;
    }
}

} // namespace

const char* MethodName(std::uint32_t code) {
    for (const Method& m : kMethods) {
        if (m.code == code) {
            return m.name;
        }
    }
    return nullptr;
}

int RunControlMethod(MachineState& state, std::uint32_t code,
                     std::optional<std::uint32_t> argument) {
    return argument ? WithArgument(state, code, *argument) : WithoutArgument(state, code);
}

} // namespace emulator
