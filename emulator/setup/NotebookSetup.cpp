// Prepares a Wine prefix for the emulated notebook: the power schemes Wine does not have.
// Run once per prefix (the test session does); running it again only fills what is missing.
#include <cstdio>

#include "PowerSchemeSeed.h"

int main() {
    const emulator::SeedResult result = emulator::SeedPowerSchemes();
    if (result.status != ERROR_SUCCESS) {
        std::fprintf(stderr, "NotebookSetup: writing the power schemes failed (error %ld)\n",
                     static_cast<long>(result.status));
        return 1;
    }
    std::printf("NotebookSetup: %u values written\n", result.written);
    return 0;
}
