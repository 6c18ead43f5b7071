#include "SchemeMenu.h"

#include <algorithm>

#include "TrayIds.h"

namespace tray {

std::vector<SchemeMenuItem> SchemeMenuItems(std::span<const SchemeEntry> schemes, int acStatus) {
    std::vector<SchemeMenuItem> items;
    if (acStatus < 0) {
        return items;
    }
    for (const SchemeEntry& scheme : schemes) {
        if (scheme.acPlugIn != static_cast<std::uint32_t>(acStatus) || scheme.id < 0 ||
            scheme.id > kMaxSchemeId) {
            continue;
        }
        items.push_back({ID_SCHEME_FIRST + static_cast<unsigned>(scheme.id), scheme.name});
    }
    return items;
}

int LastSchemeIdToRead(int lastId) {
    return std::min(lastId, kMaxSchemeId);
}

std::optional<int> SchemeIdForCommand(unsigned command) {
    if (command < ID_SCHEME_FIRST || command > ID_SCHEME_LAST) {
        return std::nullopt;
    }
    return static_cast<int>(command - ID_SCHEME_FIRST);
}

int SchemeInForce(int acStatus, int acSchemeId, int batterySchemeId) {
    return acStatus == 1 ? acSchemeId : batterySchemeId;
}

CommandLook SchemeCommandLook(unsigned command, int schemeInForce, bool readOnly) {
    const std::optional<int> id = SchemeIdForCommand(command);
    return {!readOnly, id.has_value() && *id == schemeInForce};
}

CommandLook AdjustPropertiesLook(bool readOnly) {
    return {!readOnly, false};
}

} // namespace tray
