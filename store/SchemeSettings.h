// The suite's settings as values of a Windows power scheme (Vista and later): the same column
// and global settings the XP records receive, one value per scheme setting, written alike for
// mains (AC) and battery (DC). Nothing here touches Windows; SuiteScheme.h writes the list.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "GlobalPowerSettings.h"
#include "PowerSaveMode.h"

namespace store {

// The scheme settings the suite writes; SuiteScheme.cpp names each one's subgroup and GUID.
enum class SchemeSetting {
    VideoTimeout,     // display off after (seconds, 0 never)
    DiskTimeout,      // hard disk off after
    StandbyTimeout,   // sleep after
    HibernateTimeout, // hibernate after (see SchemeValuesFor)
    Brightness,       // display brightness, percent
    PowerButton,      // the actions: 0 nothing, 1 sleep, 2 hibernate, 3 shut down
    SleepButton,
    LidClose,
    CriticalAction, // battery alarm entry 0
    CriticalLevel,  // percent
    CriticalFlags,  // notification bits and the enable bit
    LowAction,      // battery alarm entry 1
    LowLevel,
    LowFlags,
    LockOnWake, // password on resume: 0 or 1
};

struct SchemeValue {
    SchemeSetting setting;
    std::uint32_t value;
};

// Scheme actions as the Vista interface numbers them.
inline constexpr std::uint32_t kSchemeActionNothing = 0;
inline constexpr std::uint32_t kSchemeActionSleep = 1;
inline constexpr std::uint32_t kSchemeActionHibernate = 2;
inline constexpr std::uint32_t kSchemeActionShutDown = 3;

// The battery alarm's flag word: its notification bits (text, sound, program) and "enabled".
inline constexpr std::uint32_t kDischargeNotifyMask = 0x7;
inline constexpr std::uint32_t kDischargeEnable = 0x80000000;

// A system power action of the XP records as a scheme action: the three shut-downs are
// "shut down"; a value without a scheme counterpart (reserved, warm eject, damaged) is
// "do nothing", which never powers the notebook down unasked.
std::uint32_t SchemeActionFor(std::uint32_t powerAction);

// Everything one apply writes, in a fixed order. The time-outs are the XP path's: sleep after
// the column's stand-by time-out; hibernate the XP hibernate-after-stand-by time-out after
// sleep began, which is documented as what the scheme's hibernate time-out means; a mode that
// never stands by does not sleep (0) and hibernates its whole hibernate time-out after
// idleness began, the scheme's meaning of a hibernate time-out without sleep. An invalid
// column counts as column 0. `brightness` is the percentage the firmware sets the panel to
// for the column's step; without one (a step out of range) brightness is left out.
std::vector<SchemeValue> SchemeValuesFor(const PowerSaveMode& mode, int column,
                                         const GlobalPowerSettings& global,
                                         std::optional<std::uint32_t> brightness);

// The values of `wanted` that `written` (what was last written to the same scheme) does not
// hold with the same value, in the order of `wanted`.
std::vector<SchemeValue> ChangedValues(const std::vector<SchemeValue>& wanted,
                                       const std::vector<SchemeValue>& written);

} // namespace store
