// Prepares a Wine prefix for the emulated notebook: the power schemes Wine does not have, and
// the battery bays of its battery driver. Run once per prefix (the test session does); running
// it again only fills what is missing.
//
//   NotebookSetup.exe [--battery-slots 1|2] [--power-supply-dir WINDOWS_PATH]
//   NotebookSetup.exe --remove-batteries
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BatteryBays.h"
#include "PowerSchemeSeed.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: NotebookSetup [--battery-slots 1|2] [--power-supply-dir PATH]\n"
                         "       NotebookSetup --remove-batteries\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    emulator::BayOptions bays;
    bool remove = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--remove-batteries") {
            remove = true;
        } else if (option == "--battery-slots" && i + 1 < argc) {
            const std::string value = argv[++i];
            if (value != "1" && value != "2") {
                return Usage();
            }
            bays.slots = value[0] - '0';
        } else if (option == "--power-supply-dir" && i + 1 < argc && argv[i + 1][0] != '\0') {
            bays.powerSupplyDir = argv[++i];
        } else {
            return Usage();
        }
    }
    if (remove) {
        const emulator::BayResult removed = emulator::RemoveBatteryBays();
        std::printf("NotebookSetup: %s\n", removed.message.c_str());
        return removed.ok ? 0 : 1;
    }

    const emulator::SeedResult result = emulator::SeedPowerSchemes();
    if (result.status != ERROR_SUCCESS) {
        std::fprintf(stderr, "NotebookSetup: writing the power schemes failed (error %ld)\n",
                     static_cast<long>(result.status));
        return 1;
    }
    std::printf("NotebookSetup: %u values written\n", result.written);
    // Without its battery the notebook still works: the meter shows "Not Present", as a
    // machine without the driver always did. One line says why.
    const emulator::BayResult installed = emulator::InstallBatteryBays(bays);
    std::printf("NotebookSetup: %s\n", installed.message.c_str());
    return installed.ok || bays.slots == 0 ? 0 : 1;
}
