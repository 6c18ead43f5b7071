// Conversions of what the system and the battery driver report, kept free of Windows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hardware {

// The system power status as read (ok false when the call failed).
int PercentFromStatus(bool ok, std::uint8_t batteryLifePercent); // -1 for 255 or failure
int AcStatusFromStatus(bool ok, std::uint8_t acLineStatus);      // 0, 1, or -1
int NoBatteryFromStatus(bool ok, std::uint8_t batteryFlag);      // 1 only for bit 0x80

// The driver's "unknown" capacity.
inline constexpr std::uint32_t kUnknownCapacity = 0xFFFFFFFF;

// Capacity in percent of the full-charged capacity, or -1 when either is unknown or the
// full-charged capacity is 0. The product is taken in 64 bits so a large capacity cannot wrap
// into a small, plausible-looking percentage.
int ChargePercent(std::uint32_t capacity, std::uint32_t fullChargedCapacity);

// Narrows wide text that a driver returned by taking the low byte of every 16-bit unit. Only
// the units inside both the bytes returned and the buffer the driver was given are read, and
// at most outSize - 1 are written, followed by a zero byte. Returns the characters written.
std::size_t NarrowLowBytes(const std::uint8_t* wide, std::size_t bytesReturned,
                           std::size_t bufferSize, char* out, std::size_t outSize);

} // namespace hardware
