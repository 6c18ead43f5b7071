#include "switcher/logic/PowerActions.h"

#include <cstddef>

namespace switcher {

namespace {

constexpr unsigned kReboot = 0x02;      // EWX_REBOOT
constexpr unsigned kPowerOff = 0x08;    // EWX_POWEROFF
constexpr unsigned kForceIfHung = 0x10; // EWX_FORCEIFHUNG

} // namespace

std::vector<ActionRow> BuildActionRows(std::wstring_view actionTexts, bool s3, bool s4, bool s5) {
    const ResourceTokens words(actionTexts, L";");
    const auto word = [&words](PowerAction action) {
        return words[static_cast<std::size_t>(action)];
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
