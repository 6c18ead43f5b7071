#include "switcher/battery/BatteryPlatform.h"

#include <cstring>
#include <string_view>

namespace switcher {

namespace {

// GUID_BATTERY_PERCENTAGE_REMAINING {A7AD8041-B45A-4CAE-87A3-EECBB468A9E1}, spelled out so that
// no GUID library has to be linked for it.
constexpr GUID kBatteryPercentageRemaining = {
    0xA7AD8041, 0xB45A, 0x4CAE, {0x87, 0xA3, 0xEE, 0xCB, 0xB4, 0x68, 0xA9, 0xE1}};

} // namespace

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

ResourceTokens LoadResourceTokens(HINSTANCE module, UINT id, const wchar_t* separators) {
    // With a zero size LoadStringW hands back a pointer into the resource itself, which is
    // not terminated; the length it returns bounds it.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return ResourceTokens();
    }
    return ResourceTokens(std::wstring_view(text, static_cast<std::size_t>(length)), separators);
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
