#include "switcher/battery/BatteryPlatform.h"

#include <cstring>
#include <string_view>

namespace switcher {

PowerStatus ToPowerStatus(const SYSTEM_POWER_STATUS& status) {
    PowerStatus out;
    out.acLine = status.ACLineStatus;
    out.batteryFlag = status.BatteryFlag;
    out.percent = status.BatteryLifePercent;
    out.reserved = status.Reserved1;
    out.lifeTime = status.BatteryLifeTime;
    out.fullLifeTime = status.BatteryFullLifeTime;
    return out;
}

PowerStatus ReadPowerStatus() {
    SYSTEM_POWER_STATUS status{};
    if (!::GetSystemPowerStatus(&status)) {
        return PowerStatus{};
    }
    return ToPowerStatus(status);
}

ResourceTokens LoadBatteryTexts(HINSTANCE module) {
    return LoadResourceTokens(module, kBatteryTextsStringId, kBatteryTextSeparators);
}

bool IsBatteryPercentageNotification(LPARAM data) {
    if (data == 0) {
        return false;
    }
    // POWERBROADCAST_SETTING begins with the setting's GUID.
    GUID setting{};
    std::memcpy(&setting, reinterpret_cast<const void*>(data), sizeof setting);
    return std::memcmp(&setting, &kBatteryPercentageRemaining, sizeof setting) == 0;
}

} // namespace switcher
