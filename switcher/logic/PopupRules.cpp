#include "switcher/logic/PopupRules.h"

namespace switcher {

HookKey ClassifyHookKey(bool debug, unsigned long vkCode, unsigned long scanCode,
                        unsigned long flags) {
    if ((debug && vkCode == kVirtualKeyF12 && flags == 0) ||
        (scanCode == kProfileKeyScanCode && flags == kExtendedKeyReleased)) {
        return HookKey::Profile;
    }
    if (scanCode == kBatteryKeyScanCode && flags == kExtendedKeyReleased) {
        return HookKey::Battery;
    }
    return HookKey::Other;
}

} // namespace switcher
