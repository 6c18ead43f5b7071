#include "SchemeSettings.h"

#include <algorithm>

#include "PolicyRules.h"

namespace store {
namespace {

std::uint32_t DischargeFlags(const BatteryAlarm& alarm) {
    std::uint32_t flags = alarm.Notify & kDischargeNotifyMask;
    if ((alarm.Enable & 0xFF) != 0) {
        flags |= kDischargeEnable;
    }
    return flags;
}

} // namespace

std::uint32_t SchemeActionFor(std::uint32_t powerAction) {
    switch (powerAction) {
    case kActionSleep:
        return kSchemeActionSleep;
    case kActionHibernate:
        return kSchemeActionHibernate;
    case 4: // PowerActionShutdown
    case 5: // PowerActionShutdownReset
    case kActionShutdownOff:
        return kSchemeActionShutDown;
    default:
        return kSchemeActionNothing;
    }
}

std::vector<SchemeValue> SchemeValuesFor(const PowerSaveMode& mode, int column,
                                         const GlobalPowerSettings& global,
                                         std::optional<std::uint32_t> brightness) {
    const int c = ValidColumn(column);
    const ModeTimeouts t = ModeTimeoutsFor(mode, c);
    const bool standsBy = t.idleAction != kActionHibernate;

    std::vector<SchemeValue> values = {
        {SchemeSetting::VideoTimeout, t.videoTimeout},
        {SchemeSetting::DiskTimeout, t.spindownTimeout},
        {SchemeSetting::StandbyTimeout, standsBy ? t.idleTimeout : 0},
        {SchemeSetting::HibernateTimeout, standsBy ? t.dozeS4Timeout : t.idleTimeout},
    };
    if (brightness) {
        values.push_back({SchemeSetting::Brightness, *brightness});
    }
    // The XP path's notification tricks for the power button and the lid have no scheme
    // counterpart; the plain actions are what the scheme holds.
    values.insert(values.end(),
                  {{SchemeSetting::PowerButton, SchemeActionFor(global.PowerButton)},
                   {SchemeSetting::SleepButton, SchemeActionFor(global.SleepButton)},
                   {SchemeSetting::LidClose, SchemeActionFor(global.LidClose)},
                   {SchemeSetting::CriticalAction, SchemeActionFor(global.CriticalAlarm.Action)},
                   {SchemeSetting::CriticalLevel, global.CriticalAlarm.Level},
                   {SchemeSetting::CriticalFlags, DischargeFlags(global.CriticalAlarm)},
                   {SchemeSetting::LowAction, SchemeActionFor(global.LowAlarm.Action)},
                   {SchemeSetting::LowLevel, global.LowAlarm.Level},
                   {SchemeSetting::LowFlags, DischargeFlags(global.LowAlarm)},
                   {SchemeSetting::LockOnWake, global.PasswordLogonEnable & 1}});
    return values;
}

std::vector<SchemeValue> ChangedValues(const std::vector<SchemeValue>& wanted,
                                       const std::vector<SchemeValue>& written) {
    std::vector<SchemeValue> changed;
    for (const SchemeValue& value : wanted) {
        const auto same = std::find_if(written.begin(), written.end(), [&](const SchemeValue& w) {
            return w.setting == value.setting && w.value == value.value;
        });
        if (same == written.end()) {
            changed.push_back(value);
        }
    }
    return changed;
}

} // namespace store
