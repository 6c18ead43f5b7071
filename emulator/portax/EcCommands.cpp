#include "EcCommands.h"

#include <cstdio>

namespace emulator {

namespace {

std::string ByteText(std::uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value & 0xFF));
    return text;
}

EcOutcome Failure(const char* reason) {
    return EcOutcome{kEcFailed, std::string("error=") + reason};
}

EcOutcome Success(std::string detail) {
    return EcOutcome{kEcSucceeded, std::move(detail)};
}

} // namespace

std::string EcByteText(const std::uint8_t* bytes, std::uint32_t count) {
    if (bytes == nullptr || count == 0) {
        return "null";
    }
    return ByteText(bytes[0]);
}

EcOutcome RunEcWrite(ValueStore& store, std::uint32_t command, std::uint32_t count,
                     const std::uint8_t* data) {
    if (data == nullptr || count == 0) {
        return Failure("no-data");
    }
    if (command != kEcCommandEvent) {
        return Failure("unknown-command");
    }
    switch (data[0]) {
    case kEcDataNotify: {
        const std::uint32_t notices =
            Interpret(ValueKind::Word, 0, store.Read(kEcNotifyCountValue)) + 1;
        if (!store.WriteWord(kEcNotifyCountValue, notices)) {
            return Failure("state-not-written");
        }
        return Success("op=notify notify_count=" + std::to_string(notices));
    }
    case kEcDataAcknowledge:
        return Success("op=acknowledge");
    default:
        return Failure("unknown-data");
    }
}

EcOutcome RunEcReceive(ValueStore& store, std::uint32_t command, std::uint32_t inputCount,
                       const std::uint8_t* input, std::uint32_t outputCount, std::uint8_t* output) {
    if (input == nullptr || inputCount == 0) {
        return Failure("no-input");
    }
    if (output == nullptr || outputCount == 0) {
        return Failure("no-output");
    }
    MachineState state(store);
    if (command == kEcCommandReadRegister) {
        const std::uint8_t reg = input[0];
        if (!IsKeptEcRegister(reg)) {
            return Failure("unknown-register");
        }
        output[0] = state.EcRegister(reg);
        return Success("op=read register=" + ByteText(reg) + " value=" + ByteText(output[0]));
    }
    if (command != kEcCommandEvent) {
        return Failure("unknown-command");
    }
    if (input[0] != kEcDataEventQuery) {
        return Failure("unknown-data");
    }
    output[0] = static_cast<std::uint8_t>(state.Get(StateValue::EcEventFlag));
    return Success("op=event-query flag=" + ByteText(output[0]));
}

} // namespace emulator
