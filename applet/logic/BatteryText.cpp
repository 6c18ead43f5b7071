#include "BatteryText.h"

namespace applet {

std::string BatteryStateText(std::uint32_t powerState, const BatteryWords& words) {
    std::string text;
    const std::pair<std::uint32_t, const std::string*> bits[] = {
        {kBatteryOnLine, &words.onLine},
        {kBatteryDischarging, &words.discharging},
        {kBatteryCharging, &words.charging},
        {kBatteryCritical, &words.critical},
    };
    for (const auto& [bit, word] : bits) {
        if ((powerState & bit) != 0) {
            if (!text.empty()) {
                text += words.separator;
            }
            text += *word;
        }
    }
    return text;
}

std::string BatteryBarFormat(const std::string& stateText, const std::string& barText) {
    if (stateText.empty()) {
        return "%d%%";
    }
    std::string state;
    for (const char c : stateText) {
        state += c;
        if (c == '%') {
            state += '%';
        }
    }
    const std::size_t at = barText.find("%s");
    if (at == std::string::npos) {
        return state + ":%d%%";
    }
    return barText.substr(0, at) + state + barText.substr(at + 2);
}

} // namespace applet
