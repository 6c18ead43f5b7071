// What a change of the power status leads to: a new tooltip only, or a new apply of the mode
// in force because the power source changed or, on battery, the charge crossed a band.
#pragma once

namespace tray {

enum class PowerStep {
    TooltipAndIcon, // read-only mode: show the reading, apply nothing
    TooltipOnly,
    Apply,
};

struct PowerDecision {
    PowerStep step = PowerStep::TooltipOnly;
    // What the tray remembers as applied afterwards.
    int lastAcStatus = -1;
    int lastColumn = -1;
};

// acStatus and column are the fresh reading (column of the battery percent, -1 unknown).
PowerDecision DecidePowerStatus(bool readOnly, int acStatus, int column, int lastAcStatus,
                                int lastColumn);

} // namespace tray
