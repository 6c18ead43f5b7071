// Applying a mode: the global settings go into the Windows global policy and the embedded
// controller, the mode's column into the hardware and the Windows scheme "Power Management",
// which is then made active so that Windows reads what was written.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "Firmware.h"
#include "NotebookPolicy.h"
#include "PowerApi.h"
#include "SchemeSettings.h"
#include "SchemeStore.h"

namespace tray {

class SchemeApplier {
public:
    // Shows (true) or removes the tray icon, as the global settings ask.
    using ShowIcon = std::function<void(bool)>;

    SchemeApplier(const hardware::NotebookPolicy& policy, hardware::FirmwarePort& firmware,
                  int osClass);

    // Finds the Windows scheme (the XP number, or from Vista on the scheme of the power-scheme
    // interface) and reads the processor's speed-step support; once, at start.
    void Start();

    // Applies mode `scheme` of the user's store with the current global settings.
    void Apply(int scheme, const ShowIcon& showIcon);

    // The fan mode and the lid-resume bit the embedded controller may have lost while asleep.
    void RestoreAfterResume();

    int WindowsScheme() const { return windowsSchemeId_; }
    int SpeedStep() const { return speedStep_; }

private:
    void ApplyGlobalSideEffects(const store::GlobalPowerSettings& global, store::PowerApi& api,
                                const ShowIcon& showIcon);
    void ApplyModeHardware(const store::SchemeStore& work, int column, store::PowerApi& api);
    // Vista and later: the same settings as scheme values, no XP record.
    void ApplyThroughScheme(const store::SchemeStore& work, int column, store::PowerApi& api,
                            const ShowIcon& showIcon);

    const hardware::NotebookPolicy& policy_;
    hardware::FirmwarePort& firmware_;
    int osClass_;
    int windowsSchemeId_ = -1;
    bool schemeInterface_ = false;
    std::optional<GUID> suiteScheme_;
    // What this tray last wrote to its scheme: an apply writes only what differs from it
    // (each write costs a call into the power manager); cleared when a write was refused.
    std::vector<store::SchemeValue> written_;
    int speedStep_ = 0;
};

} // namespace tray
