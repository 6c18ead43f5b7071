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
            text += *word;
            text += ',';
        }
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}

std::string BatteryBarFormat(const std::string& stateText) {
    if (stateText.empty()) {
        return "%d%%";
    }
    std::string format;
    for (const char c : stateText) {
        format += c;
        if (c == '%') {
            format += '%';
        }
    }
    return format + ":%d%%";
}

} // namespace applet
