// The Alarm page's rules: the notification and action texts, and how the two alarm levels
// are kept in order (the critical level never above the low one).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace applet {

inline constexpr std::uint32_t kNotifyMessage = 1;
inline constexpr std::uint32_t kNotifySound = 2;

struct NotifyWords {
    std::string sound;           // "Sound,"
    std::string text;            // "Text,"
    std::string noAction;        // "No Action,"
    std::string separator = ","; // the language's list separator
};

// "Sound" and/or "Text" joined by the separator, or "No Action": each word is its string less
// its last character (the comma every language keeps there), so English reads "Sound,Text".
std::string NotificationText(std::uint32_t notify, const NotifyWords& words);

// The action an alarm really has: hibernation without hibernate support becomes stand by.
std::uint32_t EffectiveAction(std::uint32_t action, bool hibernateEnabled);

// The text of an (effective) action from the list "None,Stand By,Hibernate,Power OFF" and the
// "No Action," string; nothing for an action outside the list (the text stays as it was).
std::optional<std::string> ActionText(std::uint32_t action, const std::vector<std::string>& list,
                                      const std::string& noAction);

enum class AlarmRole { Low, Critical };

// Where a released slider ends up when its partner is enabled: a low level below the
// critical one moves up to it, a critical level above the low one moves down to it.
int PulledBackLevel(AlarmRole role, int level, int partnerLevel, bool partnerEnabled);

struct AlarmLevels {
    int low = 0;
    int critical = 0;
};

// After a click on an alarm's on/off box, with both alarms on and the critical level above
// the low one: the clicked alarm's level gives way (low raised, critical lowered).
AlarmLevels LevelsAfterToggle(AlarmRole clicked, bool lowOn, bool criticalOn, AlarmLevels levels);

// The label of an alarm slider: "N%".
std::string PercentLabel(int level);

} // namespace applet
