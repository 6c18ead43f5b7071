// Appends numbered lines to the emulator's journal, so that a test can run several writers
// at once:  EmulatorJournalWriter WRITER COUNT
#include <cstdlib>
#include <string>

#include "Journal.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const int writer = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i) {
        emulator::ArgumentList arguments;
        arguments.AddSigned("writer", writer).AddSigned("line", i);
        emulator::JournalCall("test", "Append", arguments.Text(), "TRUE");
    }
    return 0;
}
