#include "SchemeSettingText.h"

#include <windows.h>

#include <cstdio>

#include "SuiteScheme.h"

namespace storedump {
namespace {

enum class Kind { Timeout, Percent, Action, Flags, Flag };

struct Text {
    const char* label;
    Kind kind;
    bool fromColumn;
};

// No default case: a setting added to the store without words here fails the build.
Text TextOf(store::SchemeSetting setting) {
    using S = store::SchemeSetting;
    switch (setting) {
    case S::VideoTimeout:
        return {"monitor off", Kind::Timeout, true};
    case S::DiskTimeout:
        return {"disk off", Kind::Timeout, true};
    case S::StandbyTimeout:
        return {"stand by after", Kind::Timeout, true};
    case S::HibernateTimeout:
        return {"hibernate after", Kind::Timeout, true};
    case S::Brightness:
        return {"brightness", Kind::Percent, true};
    case S::PowerButton:
        return {"power button", Kind::Action, false};
    case S::SleepButton:
        return {"sleep button", Kind::Action, false};
    case S::LidClose:
        return {"lid", Kind::Action, false};
    case S::CriticalAction:
        return {"critical alarm action", Kind::Action, false};
    case S::CriticalLevel:
        return {"critical alarm level", Kind::Percent, false};
    case S::CriticalFlags:
        return {"critical alarm notify", Kind::Flags, false};
    case S::LowAction:
        return {"low alarm action", Kind::Action, false};
    case S::LowLevel:
        return {"low alarm level", Kind::Percent, false};
    case S::LowFlags:
        return {"low alarm notify", Kind::Flags, false};
    case S::LockOnWake:
        return {"password on wake", Kind::Flag, false};
    }
    return {"?", Kind::Flags, false};
}

} // namespace

std::vector<store::SchemeSetting> SuiteSchemeSettings() {
    std::vector<store::SchemeSetting> settings;
    GUID subgroup{};
    GUID guid{};
    // The store numbers its settings from 0 without gaps.
    for (int i = 0; store::SchemeSettingGuids(static_cast<store::SchemeSetting>(i), subgroup, guid);
         ++i) {
        settings.push_back(static_cast<store::SchemeSetting>(i));
    }
    return settings;
}

const char* SettingLabel(store::SchemeSetting setting) {
    return TextOf(setting).label;
}

bool FromColumn(store::SchemeSetting setting) {
    return TextOf(setting).fromColumn;
}

std::string SettingValueText(store::SchemeSetting setting, std::uint32_t value) {
    static const char* const kActions[] = {"nothing", "sleep", "hibernate", "shut down"};
    char text[32];
    switch (TextOf(setting).kind) {
    case Kind::Timeout:
        if (value == 0) {
            return "never";
        }
        std::snprintf(text, sizeof text, value % 60 == 0 ? "%lu min" : "%lu s",
                      static_cast<unsigned long>(value % 60 == 0 ? value / 60 : value));
        return text;
    case Kind::Percent:
        std::snprintf(text, sizeof text, "%lu %%", static_cast<unsigned long>(value));
        return text;
    case Kind::Action:
        return value < 4 ? kActions[value] : "other (" + std::to_string(value) + ")";
    case Kind::Flag:
        return value != 0 ? "on" : "off";
    case Kind::Flags:
        break;
    }
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
    return text;
}

} // namespace storedump
