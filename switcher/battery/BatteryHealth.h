// Battery health for the popup dialog: the embedded controller's start notice, the health
// check the dialog runs on every battery status change, and the warning it may give. The
// popup's BatteryIndicator holds one for the dialog's life: Start at the end of the start and
// after a resume, ForceNextWarning for the battery key, Check at every PBT_APMPOWERSTATUSCHANGE
// (its result goes to the notification icon and the indicator's text).
//
// Every step runs on the GUI thread; the library is called synchronously.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "switcher/battery/PortaxLibrary.h"
#include "switcher/logic/BatteryHealthLogic.h"
#include "switcher/logic/ResourceTokens.h"

namespace switcher {

// DebugTrace's shape: (enabled, tag, wide printf format, arguments).
using TraceSink = void (*)(bool enabled, const wchar_t* tag, const wchar_t* format, ...);

struct HealthResult {
    enum class Tray {
        Unchanged,   // worn or damaged, not reported yet: an earlier warning icon stays
        Remove,      // good battery, or no system battery
        ShowWarning, // add the warning icon and show the balloon
    };
    Tray tray = Tray::Unchanged;
    std::optional<BatteryWarning> warning;     // set with ShowWarning
    std::wstring indicatorText;                // "%d%%", or empty without a system battery
    std::optional<BatteryCondition> condition; // none without a system battery
};

class BatteryHealth {
public:
    // `ec` must outlive this object; `trace` may be null (no traces).
    explicit BatteryHealth(PortaxLibrary& ec, TraceSink trace = nullptr);

    // The controller notice (0x45 / 0x1D) made at the end of the dialog's initialisation and
    // again on resume from suspend.
    void Start();

    // The battery key: the next check that finds the battery worn or damaged warns at once.
    // The request stays until a warning has been shown.
    void ForceNextWarning() { forceWarning_ = true; }
    bool WarningForced() const { return forceWarning_; }

    // Makes the notification-area calls a result asks for (its tray and warning).
    using TrayCalls = std::function<void(const HealthResult&)>;

    // The health check of PBT_APMPOWERSTATUSCHANGE. `texts` is string 1004 split at tabs.
    // `tray` is called once the tray and the warning are known, before the counter is reset
    // and the check traced.
    HealthResult Check(const SYSTEM_POWER_STATUS& status, const ResourceTokens& texts,
                       const TrayCalls& tray = nullptr);

    // read_bat: the override file when one is there, else the eight register reads.
    BatteryValues ReadBattery();
    // cbt_cnt: queries and acknowledges the event flag, then counts a flagged check in
    // Pivora.cbt, or deletes it with `reset`. The count (0 after a reset or a failure).
    std::int32_t CountEvent(bool reset);

private:
    template <typename... Args>
    void Trace(bool enabled, const wchar_t* tag, const wchar_t* format, Args... args) {
        if (trace_ != nullptr) {
            trace_(enabled, tag, format, args...);
        }
    }

    PortaxLibrary& ec_;
    TraceSink trace_;
    bool forceWarning_ = false;
};

} // namespace switcher
