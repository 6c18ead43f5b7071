// Queries of the batteries through the battery device class. Failures are reported through
// the results only; nothing here shows anything. The platform header also has enumerators
// named BatteryCharge and BatteryDeviceName, so call these as hardware::BatteryCharge etc.
#pragma once

// <windows.h> first: the battery-class header leaves out its driver-side half after it.
// <winioctl.h> gives the control-code macros the lean <windows.h> leaves out.
#include <windows.h>
#include <winioctl.h>
#include <batclass.h>

#include <cstddef>

#include "../framework/UniqueHandle.h"
#include "BatteryDevice.h"

namespace hardware {

static_assert(sizeof(BATTERY_STATUS) == 16);
static_assert(sizeof(BATTERY_INFORMATION) == 36);
static_assert(sizeof(BATTERY_WAIT_STATUS) == 20);
static_assert(sizeof(BATTERY_QUERY_INFORMATION) == 12);

inline constexpr DWORD kQueryTagCode = 0x294040;         // IOCTL_BATTERY_QUERY_TAG
inline constexpr DWORD kQueryInformationCode = 0x294044; // IOCTL_BATTERY_QUERY_INFORMATION
inline constexpr DWORD kQueryStatusCode = 0x29404C;      // IOCTL_BATTERY_QUERY_STATUS
static_assert(kQueryTagCode == IOCTL_BATTERY_QUERY_TAG);
static_assert(kQueryInformationCode == IOCTL_BATTERY_QUERY_INFORMATION);
static_assert(kQueryStatusCode == IOCTL_BATTERY_QUERY_STATUS);

inline constexpr ULONG kTagWaitMilliseconds = 200;
inline constexpr ULONG kStatusWaitMilliseconds = 50;

// Device name and unique id are asked for with a 50-byte buffer of wide text; the narrow copy
// with its terminator needs 26 bytes.
inline constexpr DWORD kBatteryTextQuerySize = 50;
inline constexpr std::size_t kBatteryTextSize = kBatteryTextQuerySize / 2 + 1;

// Outcome of a query of battery `index`: its device could not be opened, the query failed, or
// it succeeded. Not convertible to bool, so "no device" cannot pass for success.
enum class BatteryQuery { NoDevice = -1, Failed = 0, Succeeded = 1 };

framework::UniqueFile OpenBattery(int index, const BatteryDevice& device = SystemBatteryDevice());

// The battery's current tag, waiting up to 200 ms for one; 0 when there is none.
ULONG QueryBatteryTag(HANDLE battery, const BatteryDevice& device = SystemBatteryDevice());

BatteryQuery QueryBatteryStatus(int index, BATTERY_STATUS& status,
                                const BatteryDevice& device = SystemBatteryDevice());

// One information level into the caller's buffer; `returned` is the number of bytes filled.
BatteryQuery QueryBatteryInformation(int index, BATTERY_QUERY_INFORMATION_LEVEL level, void* output,
                                     DWORD outputSize, DWORD& returned,
                                     const BatteryDevice& device = SystemBatteryDevice());
// Level 0, the battery information record.
BatteryQuery QueryBatteryInformation(int index, BATTERY_INFORMATION& information,
                                     const BatteryDevice& device = SystemBatteryDevice());

// Remaining capacity in percent of the full-charged capacity, or -1 when unknown.
int BatteryCharge(int index, const BatteryDevice& device = SystemBatteryDevice());

// Level 4 and level 7 as narrow text; empty text when the query fails.
bool BatteryDeviceName(int index, char (&text)[kBatteryTextSize],
                       const BatteryDevice& device = SystemBatteryDevice());
bool BatteryUniqueId(int index, char (&text)[kBatteryTextSize],
                     const BatteryDevice& device = SystemBatteryDevice());

} // namespace hardware
