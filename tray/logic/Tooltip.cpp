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

std::string FitTooltip(std::string text, std::string_view name,
                       framework::LeadBytePredicate isLeadByte) {
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
        shortName = framework::CutToBytes(name, static_cast<std::size_t>(keep), isLeadByte);
    } else {
        shortName =
            framework::CutToBytes(name, static_cast<std::size_t>(keep - 3), isLeadByte) + "...";
    }
    // Character by character: in a double-byte code page a trail byte can look like the start
    // of the name.
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, name.size(), name) == 0) {
            out += shortName;
            at += name.size();
            continue;
        }
        const bool lead = isLeadByte != nullptr && isLeadByte(static_cast<unsigned char>(text[at]));
        const std::size_t width = lead && at + 1 < text.size() ? 2 : 1;
        out.append(text, at, width);
        at += width;
    }
    return out;
}

std::string BuildTooltip(const TooltipParts& parts) {
    const std::string_view power = parts.acStatus == 1 ? parts.onAcWord : parts.onBatteryWord;
    const int percent = parts.percent < 0 ? 0 : parts.percent;
    if (parts.readOnly) {
        return FormatResourceText(parts.readOnlyFormat, {power}, percent);
    }
    return FitTooltip(FormatResourceText(parts.modeFormat, {power, parts.modeName}, percent),
                      parts.modeName, parts.isLeadByte);
}

} // namespace tray
