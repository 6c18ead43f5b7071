#include "LinkedMatch.h"

namespace tray {

int FindLinkedMatch(std::span<const LinkedScheme> schemes, int acStatus,
                    const ModuleSource& modules, const SameText& same) {
    if (acStatus < 0) {
        return -1;
    }
    const ModuleList* list = nullptr;
    for (const LinkedScheme& scheme : schemes) {
        if (scheme.acPlugIn != static_cast<std::uint32_t>(acStatus) ||
            scheme.linkedProgram.empty()) {
            continue;
        }
        if (list == nullptr) {
            list = &modules();
        }
        for (const std::string& path : *list) {
            if (same(path, scheme.linkedProgram)) {
                return scheme.id;
            }
        }
    }
    return -1;
}

LinkedSwitch DecideLinkedSwitch(int match, int current, int stored) {
    if (match == -1) {
        return current != stored ? LinkedSwitch{true, stored} : LinkedSwitch{};
    }
    return match != current ? LinkedSwitch{true, match} : LinkedSwitch{};
}

} // namespace tray
