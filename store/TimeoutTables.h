// The time-out tables behind the 1-based slider indexes stored in a mode.
#pragma once

#include <cstdint>

namespace store {

inline constexpr int kTimeoutCount = 16;          // monitor, hard disk, stand-by
inline constexpr int kHibernateTimeoutCount = 17; // hibernate

// Seconds for a 1-based index; an index outside the table gives 0 (never).
std::uint32_t IndexToTimeout(std::uint32_t index);
std::uint32_t IndexToHibernateTimeout(std::uint32_t index);

// 1-based index of the first entry equal to the seconds, or one past the table.
std::uint32_t TimeoutToIndex(std::uint32_t seconds);
std::uint32_t HibernateTimeoutToIndex(std::uint32_t seconds);

// Battery column for a battery percentage (0..100), or -1 for 255 (no reading).
int ColumnForPercent(int percent);

} // namespace store
