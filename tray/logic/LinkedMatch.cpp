#include "LinkedMatch.h"

namespace tray {

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool SameTextIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

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
