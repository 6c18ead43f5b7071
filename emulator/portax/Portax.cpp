// PORTAX.DLL of the emulated notebook: raw embedded-controller commands with data bytes, run on
// the machine state (EcCommands.h) and journalled.
#include <string>

#include "EcCommands.h"
#include "Journal.h"
#include "NotebookInterfaces.h"
#include "RegistryValueStore.h"

namespace {

void Record(const char* function, const emulator::ArgumentList& arguments,
            const emulator::EcOutcome& outcome) {
    emulator::JournalCall("Portax", function, arguments.Text(),
                          std::to_string(outcome.result) + " " + outcome.detail);
}

} // namespace

extern "C" int __cdecl EC_686CPort_WriteCOMM(unsigned command, unsigned count,
                                             const unsigned char* data) {
    emulator::RegistryValueStore store;
    const emulator::EcOutcome outcome = emulator::RunEcWrite(store, command, count, data);
    emulator::ArgumentList arguments;
    arguments.AddHex("command", command)
        .Add("count", count)
        .AddWord("data", emulator::EcByteText(data, count));
    Record("EC_686CPort_WriteCOMM", arguments, outcome);
    return outcome.result;
}

extern "C" int __cdecl EC_686CPort_ReceiveCOMM(unsigned command, unsigned inputCount,
                                               const unsigned char* input, unsigned outputCount,
                                               unsigned char* output) {
    emulator::RegistryValueStore store;
    const emulator::EcOutcome outcome =
        emulator::RunEcReceive(store, command, inputCount, input, outputCount, output);
    emulator::ArgumentList arguments;
    arguments.AddHex("command", command)
        .Add("input_count", inputCount)
        .AddWord("input", emulator::EcByteText(input, inputCount))
        .Add("output_count", outputCount)
        .AddPointer("output", output);
    Record("EC_686CPort_ReceiveCOMM", arguments, outcome);
    return outcome.result;
}
