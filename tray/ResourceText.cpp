#include "tray/ResourceText.h"

#include "framework/Module.h"

namespace tray {

std::string LoadResourceText(UINT id) {
    // The longest string of ours is the reconditioning procedure, well under this.
    char text[2048] = {};
    const int length = ::LoadStringA(framework::ModuleInstance(), id, text, sizeof text);
    return std::string(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

} // namespace tray
