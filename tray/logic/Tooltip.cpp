#include "Tooltip.h"

namespace tray {

std::string FormatResourceText(std::string_view format,
                               std::initializer_list<std::string_view> texts, int number) {
    std::string out;
    const std::string_view* nextText = texts.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            out += c;
            continue;
        }
        const char conversion = format[i + 1];
        if (conversion == '%') {
            out += '%';
            ++i;
        } else if (conversion == 'd') {
            out += std::to_string(number);
            ++i;
        } else if (conversion == 's' && nextText != texts.end()) {
            out += *nextText++;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string FitTooltip(std::string text, std::string_view name) {
    if (text.size() <= kTipLength || name.empty()) {
        return text;
    }
    const long long overflow = static_cast<long long>(text.size() - kTipLength);
    const long long keep = static_cast<long long>(name.size()) - overflow;
    if (keep == 0) {
        return text;
    }
    std::string shortName;
    if (keep < 0) {
        shortName = "...";
    } else if (keep <= 3) {
        shortName = std::string(name.substr(0, static_cast<std::size_t>(keep)));
    } else {
        shortName = std::string(name.substr(0, static_cast<std::size_t>(keep - 3))) + "...";
    }
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(name, from)) != std::string::npos;
         from = at + name.size()) {
        out.append(text, from, at - from);
        out += shortName;
    }
    out.append(text, from, std::string::npos);
    return out;
}

std::string BuildTooltip(const TooltipParts& parts) {
    const std::string_view power = parts.acStatus == 1 ? parts.onAcWord : parts.onBatteryWord;
    const int percent = parts.percent < 0 ? 0 : parts.percent;
    if (parts.readOnly) {
        return FormatResourceText(parts.readOnlyFormat, {power}, percent);
    }
    return FitTooltip(FormatResourceText(parts.modeFormat, {power, parts.modeName}, percent),
                      parts.modeName);
}

} // namespace tray
