#include "tray/scheme/SchemeApplier.h"

#include "CBrightnessLevel.h"
#include "FirmwareLogic.h"
#include "PolicyApply.h"
#include "PolicyRules.h"
#include "SchemeSettings.h"
#include "SuiteScheme.h"
#include "TimeoutTables.h"
#include "VersionClass.h"
#include "WindowsVersion.h"
#include "framework/Trace.h"

namespace tray {

SchemeApplier::SchemeApplier(const hardware::NotebookPolicy& policy,
                             hardware::FirmwarePort& firmware, int osClass)
    : policy_(policy), firmware_(firmware), osClass_(osClass) {}

void SchemeApplier::Start() {
    schemeInterface_ = store::WindowsUsesSchemeInterface();
    if (schemeInterface_) {
        store::PowerSchemeApi api;
        suiteScheme_ = store::FindSuiteScheme(api);
    } else {
        windowsSchemeId_ = store::FindSystemScheme();
    }
    speedStep_ = hardware::ReadSpeedStepSupport();
}

void SchemeApplier::Apply(int scheme, const ShowIcon& showIcon) {
    store::PowerApi api;
    store::SchemeStore work;
    work.LoadGlobal(HKEY_CURRENT_USER);
    if (!work.LoadScheme(HKEY_CURRENT_USER, scheme)) {
        framework::Trace("TvPMTray: scheme %d cannot be read; its cleared values are applied.\n",
                         scheme);
    }

    // A battery mode with no battery reading is applied as column 0 (see ApplyMode).
    const int column = work.mode.ACPlug_IN == 1 ? 0 : store::BatteryColumn();
    if (schemeInterface_) {
        ApplyThroughScheme(work, column, api, showIcon);
        return;
    }

    store::ApplyGlobalSettings(work.global, osClass_,
                               [&] { ApplyGlobalSideEffects(work.global, api, showIcon); });
    framework::Trace("Set power policy.\n");
    framework::Trace("TvPMTray: apply scheme %d column %d to Windows scheme %d.\n", scheme,
                     store::ValidColumn(column), windowsSchemeId_);
    store::ApplyMode(work.mode, column, windowsSchemeId_,
                     [&](int used) { ApplyModeHardware(work, used, api); });

    // Windows reloads the policies just written only when the scheme is activated.
    api.SetActivePwrScheme(static_cast<UINT>(windowsSchemeId_), nullptr, nullptr);
}

void SchemeApplier::ApplyThroughScheme(const store::SchemeStore& work, int column,
                                       store::PowerApi& api, const ShowIcon& showIcon) {
    ApplyGlobalSideEffects(work.global, api, showIcon);
    const int used = store::ValidColumn(column);
    ApplyModeHardware(work, used, api);
    if (!suiteScheme_) {
        framework::Trace("TvPMTray: no scheme \"Power Management\"; only the hardware was set.\n");
        return;
    }
    framework::Trace("TvPMTray: apply column %d to the scheme \"Power Management\".\n", used);
    store::PowerSchemeApi schemes;
    // Another scheme in force means someone else chose it, and may have changed ours or made
    // it again meanwhile: then everything is written.
    GUID active{};
    if (schemes.GetActiveScheme(active) != ERROR_SUCCESS || !IsEqualGUID(active, *suiteScheme_)) {
        written_.clear();
    }
    const std::vector<store::SchemeValue> values = store::SchemeValuesFor(
        work.mode, used, work.global, hardware::PanelPercentFor(work.mode.Brightnes[used]));
    const int refused =
        store::WriteSchemeValues(schemes, *suiteScheme_, store::ChangedValues(values, written_));
    if (refused == 0) {
        written_ = values;
    } else {
        written_.clear(); // written again in full at the next apply
    }
    // Windows reads the values of the active scheme only when it is activated.
    store::ActivateScheme(schemes, *suiteScheme_);
}

void SchemeApplier::RestoreAfterResume() {
    store::SchemeStore work;
    work.LoadGlobal(HKEY_CURRENT_USER);
    hardware::ApplyCoolingMethod(policy_, work.global.CoolingMethod, firmware_);
    hardware::SetAutoResume(policy_, work.global.AutoResume != 0, firmware_);
}

void SchemeApplier::ApplyGlobalSideEffects(const store::GlobalPowerSettings& global,
                                           store::PowerApi& api, const ShowIcon& showIcon) {
    showIcon(global.SysTrayBatteryMeterEnable == 1);
    hardware::ApplyCoolingMethod(policy_, global.CoolingMethod, firmware_);
    store::ReserveHibernationFile(api, global.HibernateEnable);
    hardware::SetAutoResume(policy_, global.AutoResume != 0, firmware_);
    hardware::SetHibernateBit(policy_, global.HibernateEnable != 0, firmware_);
}

void SchemeApplier::ApplyModeHardware(const store::SchemeStore& work, int column,
                                      store::PowerApi& api) {
    framework::Trace("TvPMTray: Set brightness level.\n");
    hardware::CBrightnessLevel(firmware_).SetBrightnessLevel(work.mode.Brightnes[column]);
    if (policy_.ProcessorWord() == 0 || work.global.CoolingMethod == hardware::kCoolingSilent) {
        return;
    }
    hardware::ProcessorSpeedRequest request;
    request.duty = work.mode.CPU_Duty[column];
    request.coolingMethod = work.global.CoolingMethod;
    request.enhancedSpeedStep = speedStep_ != 0;
    request.windowsXp = osClass_ == store::kWindowsXp;
    hardware::ApplyProcessorSpeed(
        policy_, request,
        [&](std::uint32_t throttle) {
            store::WriteProcessorPolicy(api, windowsSchemeId_, static_cast<BYTE>(throttle));
        },
        firmware_);
}

} // namespace tray
