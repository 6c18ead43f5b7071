#include "TimeoutTables.h"

#include <array>

namespace store {
namespace {

constexpr std::array<std::uint32_t, kTimeoutCount> kTimeouts = {
    0, 18000, 14400, 10800, 7200, 3600, 2700, 1800, 1500, 1200, 900, 600, 300, 180, 120, 60};

constexpr std::array<std::uint32_t, kHibernateTimeoutCount> kHibernateTimeouts = {
    0, 21600, 18000, 14400, 10800, 7200, 3600, 2700, 1800, 1500, 1200, 900, 600, 300, 180, 120, 60};

template <std::size_t N>
std::uint32_t Lookup(const std::array<std::uint32_t, N>& table, std::uint32_t index) {
    // A stored index outside the table (a damaged value, or the zeros of unused columns)
    // means "never" rather than a read past the table.
    if (index < 1 || index > N) {
        return 0;
    }
    return table[index - 1];
}

template <std::size_t N>
std::uint32_t Find(const std::array<std::uint32_t, N>& table, std::uint32_t seconds) {
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i] == seconds) {
            return static_cast<std::uint32_t>(i + 1);
        }
    }
    return static_cast<std::uint32_t>(N + 1);
}

} // namespace

std::uint32_t IndexToTimeout(std::uint32_t index) {
    return Lookup(kTimeouts, index);
}
std::uint32_t IndexToHibernateTimeout(std::uint32_t index) {
    return Lookup(kHibernateTimeouts, index);
}
std::uint32_t TimeoutToIndex(std::uint32_t seconds) {
    return Find(kTimeouts, seconds);
}
std::uint32_t HibernateTimeoutToIndex(std::uint32_t seconds) {
    return Find(kHibernateTimeouts, seconds);
}

int ColumnForPercent(int percent) {
    if (percent < 0 || percent == 255) {
        return -1;
    }
    if (percent > 75) {
        return 0;
    }
    if (percent > 50) {
        return 1;
    }
    if (percent > 25) {
        return 2;
    }
    return 3;
}

} // namespace store
