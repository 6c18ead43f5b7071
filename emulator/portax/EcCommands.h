// The embedded-controller commands of PORTAX.DLL over the machine state. Windows-free, so
// that the native tree tests them as well.
//
//   receive 0xB0, input {register}  -> the register's value (0xCA..0xEF)
//   receive 0x45, input {0x1F}      -> the event flag byte (ECEventFlag)
//   write   0x45, data {0x1E}       -> acknowledges the event flag
//   write   0x45, data {0x1D}       -> the start/resume notice, counted in ECNotifyCount
//
// The event flag is a level: it stays raised as long as the machine state says so, and the
// acknowledge only records that a program has seen it. A program that queries and
// acknowledges on every battery status change therefore counts one event per change while the
// flag is up, which is what a person or a test sets ECEventFlag for.
//
// Only the first data byte is read and only the first output byte written; a command, data
// byte or register the controller does not know fails and changes nothing.
#pragma once

#include <cstdint>
#include <string>

#include "MachineState.h"

namespace emulator {

inline constexpr char kEcNotifyCountValue[] = "ECNotifyCount";

inline constexpr std::uint32_t kEcCommandEvent = 0x45;
inline constexpr std::uint32_t kEcCommandReadRegister = 0xB0;
inline constexpr std::uint8_t kEcDataNotify = 0x1D;
inline constexpr std::uint8_t kEcDataAcknowledge = 0x1E;
inline constexpr std::uint8_t kEcDataEventQuery = 0x1F;

// What the entry points return.
inline constexpr int kEcSucceeded = 1;
inline constexpr int kEcFailed = 0;

struct EcOutcome {
    int result = kEcFailed;
    // Journal words after the result: "op=read register=0xCA value=0x30", "error=...".
    std::string detail;
};

// EC_686CPort_WriteCOMM(command, count, data).
EcOutcome RunEcWrite(ValueStore& store, std::uint32_t command, std::uint32_t count,
                     const std::uint8_t* data);

// EC_686CPort_ReceiveCOMM(command, inputCount, input, outputCount, output). On failure the
// output buffer is left as the caller filled it.
EcOutcome RunEcReceive(ValueStore& store, std::uint32_t command, std::uint32_t inputCount,
                       const std::uint8_t* input, std::uint32_t outputCount, std::uint8_t* output);

// "0x1D", or "null" for no bytes; the journal's spelling of one data byte.
std::string EcByteText(const std::uint8_t* bytes, std::uint32_t count);

} // namespace emulator
