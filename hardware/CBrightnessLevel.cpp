#include "CBrightnessLevel.h"

namespace hardware {

void CBrightnessLevel::SetBrightnessLevel(std::uint32_t step) {
    port_.Trace("[Velmora][CBrightnessLevel] SetBrightnessLevel 0x%x\n",
                static_cast<unsigned>(step));
    if (!IsBrightnessStep(step)) {
        // Step 0 would ask the panel for 112 percent, step 10 for a negative percentage.
        port_.Trace("[Velmora][CBrightnessLevel] SetBrightnessLevel step out of range, "
                    "nothing sent\n");
        return;
    }
    port_.Trace("[Velmora][CBrightnessLevel] SetBrightnessLevel upside down 0x%x\n",
                static_cast<unsigned>(BrightnessUpsideDown(step)));
    const int percent = BrightnessPercent(step);
    port_.Trace("[Velmora][CBrightnessLevel] SetBrightnessLevel(Value) 0x%x\n",
                static_cast<unsigned>(percent));
    const int result = port_.CallEx(kMethodBrightness, static_cast<std::uint32_t>(percent));
    port_.Trace("[Velmora][CBrightnessLevel] ControlMethod(BCME) return 0x%x\n",
                static_cast<unsigned>(result) & 0xFFu);
}

} // namespace hardware
