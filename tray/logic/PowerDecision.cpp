#include "PowerDecision.h"

namespace tray {

PowerDecision DecidePowerStatus(bool readOnly, int acStatus, int column, int lastAcStatus,
                                int lastColumn) {
    PowerDecision decision{PowerStep::TooltipOnly, lastAcStatus, lastColumn};
    if (readOnly) {
        decision.step = PowerStep::TooltipAndIcon;
        return decision;
    }
    if (acStatus != lastAcStatus) {
        return {PowerStep::Apply, acStatus, column};
    }
    // On mains only column 0 is used, so a new band changes nothing there.
    if (acStatus == 0 && column != lastColumn) {
        return {PowerStep::Apply, acStatus, column};
    }
    return decision;
}

} // namespace tray
