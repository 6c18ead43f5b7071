// Panel brightness through the firmware's "BCME" method.
#pragma once

#include <cstdint>

#include "Firmware.h"

namespace hardware {

class CBrightnessLevel {
public:
    explicit CBrightnessLevel(FirmwarePort port = ZelnorPort()) : port_(port) {}

    // Step of a mode's Brightnes value, 1 "Highest" to 8 "Lowest". A step outside that range
    // (a cleared or damaged mode) is traced and not sent.
    void SetBrightnessLevel(std::uint32_t step);

private:
    FirmwarePort port_;
};

} // namespace hardware
