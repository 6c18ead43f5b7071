#include "AlarmRules.h"

namespace applet {

std::string NotificationText(std::uint32_t notify, const NotifyWords& words) {
    const auto word = [](const std::string& text) {
        return text.empty() ? text : text.substr(0, text.size() - 1);
    };
    if (notify == 0) {
        return word(words.noAction);
    }
    std::string text;
    if ((notify & kNotifySound) != 0) {
        text = word(words.sound);
    }
    if ((notify & kNotifyMessage) != 0) {
        text += (text.empty() ? "" : words.separator) + word(words.text);
    }
    return text;
}

std::uint32_t EffectiveAction(std::uint32_t action, bool hibernateEnabled) {
    return !hibernateEnabled && action == 3 ? 2 : action;
}

std::optional<std::string> ActionText(std::uint32_t action, const std::vector<std::string>& list,
                                      const std::string& noAction) {
    auto entry = [&](std::size_t index) -> std::optional<std::string> {
        if (index >= list.size()) {
            return std::nullopt;
        }
        return list[index];
    };
    switch (action) {
    case 0:
        return noAction.empty() ? noAction : noAction.substr(0, noAction.size() - 1);
    case 2:
        return entry(1);
    case 3:
        return entry(2);
    case 6:
        return entry(3);
    default:
        return std::nullopt;
    }
}

int PulledBackLevel(AlarmRole role, int level, int partnerLevel, bool partnerEnabled) {
    if (!partnerEnabled) {
        return level;
    }
    if (role == AlarmRole::Low && level < partnerLevel) {
        return partnerLevel;
    }
    if (role == AlarmRole::Critical && level > partnerLevel) {
        return partnerLevel;
    }
    return level;
}

AlarmLevels LevelsAfterToggle(AlarmRole clicked, bool lowOn, bool criticalOn, AlarmLevels levels) {
    if (!lowOn || !criticalOn || levels.critical <= levels.low) {
        return levels;
    }
    if (clicked == AlarmRole::Low) {
        levels.low = levels.critical;
    } else {
        levels.critical = levels.low;
    }
    return levels;
}

std::string PercentLabel(int level) {
    return std::to_string(level) + "%";
}

} // namespace applet
