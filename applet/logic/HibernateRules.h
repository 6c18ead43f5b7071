// The Advanced page's hibernation rules: which actions each of its lists offers, what the
// buttons fall back to when hibernation goes away, and whether the Windows drive can hold a
// hibernation file.
#pragma once

#include <cstdint>
#include <vector>

namespace applet {

// The four actions of every action list, in list order.
inline constexpr std::uint32_t kActionOrder[] = {0, 2, 3, 6};

enum class ActionListKind { PowerButton, Lid, SleepButton, AlarmAction };

// The actions a list offers after it is filled: the lid never offers Power OFF, the buttons
// and the alarm action never offer None; without hibernation no list offers Hibernate.
std::vector<std::uint32_t> OfferedActions(ActionListKind kind, bool hibernate);

// Where "Hibernate" goes back into a list (its actions in order) that lacks it: where the
// filled list has it, before "Power OFF" when the list offers that, else at the end.
std::size_t HibernateInsertIndex(const std::vector<std::uint32_t>& actions);

// What the three lists hold after hibernation was switched off.
struct ButtonActions {
    std::uint32_t powerButton = 6;
    std::uint32_t lid = 0;
    std::uint32_t sleepButton = 6;
};
inline constexpr ButtonActions kActionsWithoutHibernation{};

// Memory and free disk space in units of 1000 KB: (bytes >> 10) / 1000, integer division.
std::uint64_t HibernateUnits(std::uint64_t bytes);
// The check passes when the free space is at least the memory size.
bool HibernationFits(std::uint64_t totalPhysicalBytes, std::uint64_t freeBytes);

// The cooling method's list index and stored value: index 0 is 0, index 1 ("Silent mode") is 2.
int CoolingIndex(std::uint32_t coolingMethod);
std::uint32_t CoolingValue(int index);

// Font character set of the battery gauge for the system's default language.
int GaugeCharset(unsigned languageId);

} // namespace applet
