#include "PolicyRules.h"

#include "TimeoutTables.h"
#include "VersionClass.h"

namespace store {

int ValidColumn(int column) {
    return column >= 0 && column < kColumns ? column : 0;
}

ModeTimeouts ModeTimeoutsFor(const PowerSaveMode& mode, int column) {
    const int c = ValidColumn(column);
    ModeTimeouts t;
    t.videoTimeout = IndexToTimeout(mode.Panel[c]);
    t.spindownTimeout = IndexToTimeout(mode.HDD[c]);
    t.idleTimeout = IndexToTimeout(mode.Standby[c]);
    const std::uint32_t hibernate = IndexToHibernateTimeout(mode.Hibernate[c]);

    if (t.idleTimeout == 0) {
        // Never stands by: hibernate straight from idle instead.
        t.idleAction = kActionHibernate;
        t.idleTimeout = hibernate;
        t.dozeS4Timeout = 0;
    } else if (hibernate == 0) {
        t.dozeS4Timeout = 0;
    } else if (hibernate > t.idleTimeout) {
        t.dozeS4Timeout = hibernate - t.idleTimeout;
    } else {
        t.dozeS4Timeout = kMinDozeS4Timeout;
    }
    return t;
}

ButtonRules ButtonRulesFor(const GlobalPowerSettings& settings, int versionClass) {
    ButtonRules rules;
    rules.powerButton = {settings.PowerButton, kButtonFlags, 0};
    rules.sleepButton = {settings.SleepButton, kButtonFlags, 0};
    rules.lidClose = {settings.LidClose, kLidFlags, 0};
    if (versionClass != kWindowsXp) {
        return rules;
    }
    // XP expresses "shut down" on the power button as no action plus a shut-down
    // notification, so that the session is closed in order rather than powered off.
    if (settings.PowerButton == kActionShutdownOff) {
        rules.powerButton.action = kActionNone;
        rules.powerButton.eventCode = kNotifyShutdown;
    } else if (settings.PowerButton == kActionNone) {
        // "Do nothing" must also clear a press the system may still hold pending.
        rules.powerButton.eventCode = kForceTriggerReset;
    }
    if (settings.LidClose == kActionNone) {
        rules.lidClose.eventCode = kForceTriggerReset;
    }
    return rules;
}

std::uint32_t GlobalFlagsFor(std::uint32_t oldFlags, std::uint32_t passwordLogonEnable) {
    std::uint32_t flags = oldFlags & 0xFF & ~(kGlobalFlagBatteryMeter | kGlobalFlagPasswordLogon);
    if (passwordLogonEnable & 1) {
        flags |= kGlobalFlagPasswordLogon;
    }
    return flags;
}

} // namespace store
