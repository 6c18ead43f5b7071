#include "BatteryLogic.h"

#include <algorithm>
#include <climits>

namespace hardware {

int PercentFromStatus(bool ok, std::uint8_t batteryLifePercent) {
    if (!ok || batteryLifePercent == 255) {
        return -1;
    }
    return batteryLifePercent;
}

int AcStatusFromStatus(bool ok, std::uint8_t acLineStatus) {
    if (!ok || acLineStatus > 1) {
        return -1;
    }
    return acLineStatus;
}

int NoBatteryFromStatus(bool ok, std::uint8_t batteryFlag) {
    if (!ok || batteryFlag == 255) {
        return 0;
    }
    return (batteryFlag & 0x80) ? 1 : 0;
}

int ChargePercent(std::uint32_t capacity, std::uint32_t fullChargedCapacity) {
    if (fullChargedCapacity == 0 || fullChargedCapacity == kUnknownCapacity ||
        capacity == kUnknownCapacity) {
        return -1;
    }
    const std::uint64_t percent = std::uint64_t{capacity} * 100 / fullChargedCapacity;
    if (percent > static_cast<std::uint64_t>(INT_MAX)) {
        return -1;
    }
    return static_cast<int>(percent);
}

std::size_t NarrowLowBytes(const std::uint8_t* wide, std::size_t bytesReturned,
                           std::size_t bufferSize, char* out, std::size_t outSize) {
    if (out == nullptr || outSize == 0) {
        return 0;
    }
    std::size_t units = std::min(bytesReturned, bufferSize) / 2;
    units = std::min(units, outSize - 1);
    if (wide == nullptr) {
        units = 0;
    }
    for (std::size_t i = 0; i < units; ++i) {
        out[i] = static_cast<char>(wide[2 * i]); // little-endian: the low byte comes first
    }
    out[units] = '\0';
    return units;
}

} // namespace hardware
