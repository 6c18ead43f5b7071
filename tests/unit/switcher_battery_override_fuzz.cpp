// Any content of Pivora.dmg: the parser reads only what it is given, at most four numbers,
// and the damage flag always follows the status word it read.
#include "switcher/logic/BatteryHealthLogic.h"

#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"

using testing_support::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const switcher::OverrideValues read = switcher::ParseOverride(text);
    Check(read.numbersRead >= 0 && read.numbersRead <= 4);
    Check(read.values.damaged == switcher::DamageFlag(read.values.status));
    if (read.numbersRead < 4) {
        Check(read.values.status == 0);
    }
    if (read.numbersRead < 1) {
        Check(read.values.designCapacity == 0);
    }
    (void)switcher::Classify(read.values);
    return 0;
}
