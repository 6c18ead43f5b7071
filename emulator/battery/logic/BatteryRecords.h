// The battery class as a program sees it through DeviceIoControl: control codes, information
// levels, status codes and the records, with the layouts of the published structures. Free of
// Windows headers so that the rules built on them run natively in the unit tests and inside the
// kernel driver alike.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace battery {

inline constexpr uint32_t kIoctlQueryTag = 0x294040;
inline constexpr uint32_t kIoctlQueryInformation = 0x294044;
inline constexpr uint32_t kIoctlQueryStatus = 0x29404C;
inline constexpr uint32_t kIoctlSetInformation = 0x298048;

// What the battery class completes a request with (NTSTATUS values).
inline constexpr uint32_t kStatusSuccess = 0x00000000;
inline constexpr uint32_t kStatusInvalidParameter = 0xC000000D;
// No battery (or not this one): the caller sees ERROR_FILE_NOT_FOUND, as the battery class
// documents; Wine maps STATUS_NO_SUCH_DEVICE to another error, this status maps alike everywhere.
inline constexpr uint32_t kStatusNoSuchDevice = 0xC0000034;
inline constexpr uint32_t kStatusInvalidDeviceRequest = 0xC0000010; // level not supported
inline constexpr uint32_t kStatusBufferTooSmall = 0xC0000023;
inline constexpr uint32_t kStatusNotSupported = 0xC00000BB; // a setting the packs do not have

enum InformationLevel : int32_t {
    kLevelInformation = 0,
    kLevelGranularity = 1,
    kLevelTemperature = 2,
    kLevelEstimatedTime = 3,
    kLevelDeviceName = 4,
    kLevelManufactureDate = 5,
    kLevelManufactureName = 6,
    kLevelUniqueId = 7,
    kLevelSerialNumber = 8,
};

inline constexpr uint32_t kPowerOnLine = 0x1;
inline constexpr uint32_t kDischarging = 0x2;
inline constexpr uint32_t kCharging = 0x4;
inline constexpr uint32_t kCritical = 0x8;

inline constexpr uint32_t kTagInvalid = 0;
inline constexpr uint32_t kUnknownCapacity = 0xFFFFFFFF;
inline constexpr uint32_t kUnknownVoltage = 0xFFFFFFFF;
inline constexpr int32_t kUnknownRate = INT32_MIN;
inline constexpr uint32_t kUnknownTime = 0xFFFFFFFF;
inline constexpr uint32_t kSystemBattery = 0x80000000;

struct InformationRecord {
    uint32_t capabilities;
    uint8_t technology; // 1: rechargeable
    uint8_t reserved[3];
    char chemistry[4];
    uint32_t designedCapacity;
    uint32_t fullChargedCapacity;
    uint32_t defaultAlert1;
    uint32_t defaultAlert2;
    uint32_t criticalBias;
    uint32_t cycleCount;
};
static_assert(sizeof(InformationRecord) == 36);

struct StatusRecord {
    uint32_t powerState;
    uint32_t capacity;
    uint32_t voltage;
    int32_t rate;
};
static_assert(sizeof(StatusRecord) == 16);

struct WaitStatusRecord {
    uint32_t batteryTag;
    uint32_t timeout;
    uint32_t powerState;
    uint32_t lowCapacity;
    uint32_t highCapacity;
};
static_assert(sizeof(WaitStatusRecord) == 20);

struct QueryInformationRecord {
    uint32_t batteryTag;
    int32_t informationLevel;
    int32_t atRate;
};
static_assert(sizeof(QueryInformationRecord) == 12);

struct ReportingScale {
    uint32_t granularity;
    uint32_t capacity;
};
static_assert(sizeof(ReportingScale) == 8);

struct ManufactureDateRecord {
    uint8_t day;
    uint8_t month;
    uint16_t year;
};
static_assert(sizeof(ManufactureDateRecord) == 4);

} // namespace battery
