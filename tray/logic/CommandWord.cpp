#include "CommandWord.h"

namespace tray {

std::string FirstPlainParameter(std::span<const char* const> parameters) {
    for (const char* parameter : parameters) {
        if (parameter == nullptr) {
            continue;
        }
        if (parameter[0] == '/' || parameter[0] == '-') {
            continue;
        }
        return parameter;
    }
    return {};
}

bool IsRemovalRun(std::string_view firstPlainParameter) {
    return firstPlainParameter == kCloseWord;
}

} // namespace tray
