// Zelnor.dll of the emulated notebook: firmware control methods by four-character code, run
// on the machine state and journalled.
#include <optional>
#include <string>

#include "ControlMethods.h"
#include "Journal.h"
#include "NotebookInterfaces.h"
#include "RegistryValueStore.h"

namespace {

int Run(const char* function, unsigned code, std::optional<unsigned> argument) {
    emulator::RegistryMachine machine;
    const int result = emulator::RunControlMethod(machine.State(), code, argument);
    const char* name = emulator::MethodName(code);
    emulator::ArgumentList arguments;
    arguments.AddHex("code", code).AddWord("method", name != nullptr ? name : "unknown");
    if (argument) {
        arguments.Add("argument", *argument);
    }
    emulator::JournalCall("Zelnor", function, arguments.Text(), std::to_string(result));
    return result;
}

} // namespace

int __cdecl ControlMethod(unsigned code) {
    return Run("ControlMethod", code, std::nullopt);
}

int __cdecl ControlMethodEx(unsigned code, unsigned argument) {
    return Run("ControlMethodEx", code, argument);
}
