// Small rules of the popup that do not need Windows: which keys the keyboard hook acts on, and
// when an idle popup hides itself.
#pragma once

#include <cstdint>

namespace switcher {

// KBDLLHOOKSTRUCT facts the hook decides on.
inline constexpr unsigned long kVirtualKeyF12 = 0x7B;
inline constexpr unsigned long kProfileKeyScanCode = 5;
inline constexpr unsigned long kBatteryKeyScanCode = 6;
// LLKHF_EXTENDED | LLKHF_UP: the notebook's hardware keys report an extended key released.
inline constexpr unsigned long kExtendedKeyReleased = 0x81;

enum class HookKey {
    Other,
    Profile, // shows the popup, or moves its highlight down
    Battery, // shows a battery warning at once
};

// F12 pressed (no flags) counts as the profile key only in debug runs, for machines without
// the hardware key.
HookKey ClassifyHookKey(bool debug, unsigned long vkCode, unsigned long scanCode,
                        unsigned long flags);

// Ticks of the popup timer without other input; the third one hides the popup.
class PopupIdle {
public:
    static constexpr std::uint8_t kTicksToHide = 3;

    void Reset() { ticks_ = 0; }
    // Counts one tick; true (and back to 0) when the popup is to hide.
    bool Tick() {
        if (++ticks_ < kTicksToHide) {
            return false;
        }
        ticks_ = 0;
        return true;
    }
    std::uint8_t Ticks() const { return ticks_; }

private:
    std::uint8_t ticks_ = 0;
};

} // namespace switcher
