#include "switcher/logic/PowerActions.h"

#include <cstddef>

namespace switcher {

namespace {

constexpr unsigned kReboot = 0x02;      // EWX_REBOOT
constexpr unsigned kPowerOff = 0x08;    // EWX_POWEROFF
constexpr unsigned kForceIfHung = 0x10; // EWX_FORCEIFHUNG

} // namespace

std::vector<std::wstring> SplitWords(std::wstring_view text, std::wstring_view separators) {
    std::vector<std::wstring> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(separators, at);
        if (start == std::wstring_view::npos) {
            break;
        }
        std::size_t end = text.find_first_of(separators, start);
        if (end == std::wstring_view::npos) {
            end = text.size();
        }
        words.emplace_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

std::vector<ActionRow> BuildActionRows(std::wstring_view actionTexts, bool s3, bool s4, bool s5) {
    const std::vector<std::wstring> words = SplitWords(actionTexts, L";");
    const auto word = [&words](PowerAction action) {
        const auto index = static_cast<std::size_t>(action);
        return index < words.size() ? words[index] : std::wstring();
    };
    std::vector<ActionRow> rows;
    if (s3) {
        rows.push_back({PowerAction::Sleep, word(PowerAction::Sleep)});
    }
    if (s4) {
        rows.push_back({PowerAction::Restart, word(PowerAction::Restart)});
    }
    if (s5) {
        rows.push_back({PowerAction::ShutDown, word(PowerAction::ShutDown)});
    }
    return rows;
}

unsigned ExitWindowsFlags(PowerAction action) {
    switch (action) {
    case PowerAction::Restart:
        return kReboot | kForceIfHung;
    case PowerAction::ShutDown:
        return kPowerOff | kForceIfHung;
    case PowerAction::Sleep:
        break;
    }
    return 0;
}

} // namespace switcher
