#include "BatteryQueries.h"

#include <cstdint>

#include "BatteryLogic.h"

namespace hardware {

namespace {

bool BatteryText(int index, BATTERY_QUERY_INFORMATION_LEVEL level, char (&text)[kBatteryTextSize],
                 const BatteryDevice& device) {
    text[0] = '\0';
    std::uint8_t wide[kBatteryTextQuerySize] = {};
    DWORD returned = 0;
    if (QueryBatteryInformation(index, level, wide, sizeof wide, returned, device) !=
        BatteryQuery::Succeeded) {
        return false;
    }
    NarrowLowBytes(wide, returned, sizeof wide, text, sizeof text);
    return true;
}

} // namespace

framework::UniqueFile OpenBattery(int index, const BatteryDevice& device) {
    return device.Open(index);
}

ULONG QueryBatteryTag(HANDLE battery, const BatteryDevice& device) {
    ULONG wait = kTagWaitMilliseconds;
    ULONG tag = 0;
    DWORD returned = 0;
    if (!device.Control(battery, kQueryTagCode, &wait, sizeof wait, &tag, sizeof tag, returned) ||
        returned != sizeof tag) {
        return 0;
    }
    return tag;
}

BatteryQuery QueryBatteryStatus(int index, BATTERY_STATUS& status, const BatteryDevice& device) {
    status = BATTERY_STATUS{};
    const framework::UniqueFile battery = OpenBattery(index, device);
    if (!battery) {
        return BatteryQuery::NoDevice;
    }
    BATTERY_WAIT_STATUS wait{};
    wait.BatteryTag = QueryBatteryTag(battery.Get(), device);
    wait.Timeout = kStatusWaitMilliseconds;
    DWORD returned = 0;
    // A short answer would leave part of the record as zeros that look like readings.
    if (!device.Control(battery.Get(), kQueryStatusCode, &wait, sizeof wait, &status, sizeof status,
                        returned) ||
        returned != sizeof status) {
        status = BATTERY_STATUS{};
        return BatteryQuery::Failed;
    }
    return BatteryQuery::Succeeded;
}

BatteryQuery QueryBatteryInformation(int index, BATTERY_QUERY_INFORMATION_LEVEL level, void* output,
                                     DWORD outputSize, DWORD& returned,
                                     const BatteryDevice& device) {
    returned = 0;
    const framework::UniqueFile battery = OpenBattery(index, device);
    if (!battery) {
        return BatteryQuery::NoDevice;
    }
    BATTERY_QUERY_INFORMATION query{};
    query.BatteryTag = QueryBatteryTag(battery.Get(), device);
    query.InformationLevel = level;
    query.AtRate = 0;
    if (!device.Control(battery.Get(), kQueryInformationCode, &query, sizeof query, output,
                        outputSize, returned)) {
        returned = 0;
        return BatteryQuery::Failed;
    }
    return BatteryQuery::Succeeded;
}

BatteryQuery QueryBatteryInformation(int index, BATTERY_INFORMATION& information,
                                     const BatteryDevice& device) {
    information = BATTERY_INFORMATION{};
    DWORD returned = 0;
    const BatteryQuery result = QueryBatteryInformation(index, ::BatteryInformation, &information,
                                                        sizeof information, returned, device);
    if (result == BatteryQuery::Succeeded && returned != sizeof information) {
        information = BATTERY_INFORMATION{};
        return BatteryQuery::Failed;
    }
    return result;
}

int BatteryCharge(int index, const BatteryDevice& device) {
    BATTERY_STATUS status{};
    BATTERY_INFORMATION information{};
    if (QueryBatteryStatus(index, status, device) != BatteryQuery::Succeeded ||
        QueryBatteryInformation(index, information, device) != BatteryQuery::Succeeded) {
        return -1;
    }
    return ChargePercent(status.Capacity, information.FullChargedCapacity);
}

bool BatteryDeviceName(int index, char (&text)[kBatteryTextSize], const BatteryDevice& device) {
    // The level names of the platform header; the function names here hide them.
    return BatteryText(index, ::BatteryDeviceName, text, device);
}

bool BatteryUniqueId(int index, char (&text)[kBatteryTextSize], const BatteryDevice& device) {
    return BatteryText(index, ::BatteryUniqueID, text, device);
}

} // namespace hardware
