// The battery indicator of the popup: which frame of the battery strip it shows and the line
// of text under it (percentage, estimated time left, or the "calculating" note), and the
// status cache that keeps the last time estimate between notifications.
//
// Windows-free: the dialog converts SYSTEM_POWER_STATUS into PowerStatus (BatteryPlatform.h),
// applies the returned update to its indicator and writes the returned trace lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "switcher/logic/ResourceTokens.h"

namespace switcher {

// String table entry with the battery texts, split at tabs (tokens listed below).
inline constexpr unsigned kBatteryTextsStringId = 1004;
inline constexpr wchar_t kBatteryTextSeparators[] = L"\t";
inline constexpr std::size_t kTokenWornTitle = 2;     // "Battery capacity low"
inline constexpr std::size_t kTokenWornText = 3;      // "Your battery's capacity is low. ..."
inline constexpr std::size_t kTokenDamagedTitle = 4;  // "Battery exhausted"
inline constexpr std::size_t kTokenDamagedText = 5;   // "Your battery is exhausted and ..."
inline constexpr std::size_t kTokenCalculating = 6;   // "Calculating battery life"
inline constexpr std::size_t kTokenTimeRemaining = 7; // "%dh %dmins remaining"

// Frames of "imgs/main/bt.png": 0..5 charge levels, then mains power, then the start picture.
inline constexpr int kBatteryFrameCount = 8;
inline constexpr int kMainsFrame = 6;
inline constexpr int kStartFrame = 7;

inline constexpr std::uint8_t kAcOnline = 1;
inline constexpr std::uint8_t kUnknownPercent = 255;
inline constexpr std::uint8_t kNoSystemBattery = 128; // BatteryFlag
inline constexpr std::uint32_t kUnknownLifeTime = 0xFFFFFFFF;

// The first fields of SYSTEM_POWER_STATUS, in its order.
struct PowerStatus {
    std::uint8_t acLine = 255;
    std::uint8_t batteryFlag = 255;
    std::uint8_t percent = kUnknownPercent;
    std::uint8_t reserved = 0;
    std::uint32_t lifeTime = kUnknownLifeTime; // seconds
    std::uint32_t fullLifeTime = kUnknownLifeTime;
};

// Frame of the charge level: the first level whose upper bound (10, 25, 50, 75, 95, 100 per
// cent) is not below the percentage; above 100 (255 is "unknown") the mains picture.
int BatteryFrame(std::uint32_t percent);

// "%d%%" of the percentage.
std::wstring PercentText(std::uint32_t percent);

// A localised pattern with "%d" places filled in order from `values`; "%%" gives "%". Any
// other "%" sequence, and a "%d" without a value left, is copied as it stands, so a damaged
// translation shows odd text instead of reading arguments that were never passed.
std::wstring FillNumbers(std::wstring_view pattern, const std::vector<std::uint32_t>& values);

// The remaining-time check: an estimate is believed only when it does not claim more than 16
// hours for a full battery, that is when seconds * 100 / 57,600 is not above the percentage.
struct LifeTimeCheck {
    std::uint64_t scaled = 0; // seconds * 100 / 57,600
    bool believed = false;
    std::uint32_t hours = 0;
    std::uint32_t minutes = 0;
    std::uint32_t seconds = 0;
};
LifeTimeCheck CheckLifeTime(std::uint32_t seconds, std::uint32_t percent);

// What a step changes on the indicator; nullopt leaves that part as it is.
struct IndicatorUpdate {
    std::optional<int> frame;
    std::optional<std::wstring> text;
    std::vector<std::wstring> traces; // messages for the step's own trace tag, in order
};

// The indicator's status cache and the two steps that update the indicator: a power-setting
// notification (traced as "CUIDlg::OnPower") and a tick of the popup timer ("CUIDlg::OnTimer").
class BatteryStatusCache {
public:
    // The status when the dialog object is made; its time estimate is not trusted yet.
    explicit BatteryStatusCache(const PowerStatus& atCreation);

    // PBT_POWERSETTINGCHANGE with the status read now. A battery-percentage notification
    // takes the status into the cache; any other (or none) keeps the cached time estimate.
    IndicatorUpdate OnPowerSettingChange(PowerStatus now, bool percentageNotification,
                                         const ResourceTokens& texts);

    // TIMER_POPUP while the popup is shown: on battery the cache follows the status and the
    // text shows the estimate or the "calculating" note; the picture stays.
    IndicatorUpdate OnPopupTimer(const PowerStatus& now, const ResourceTokens& texts);

    const PowerStatus& Cache() const { return cache_; }

private:
    PowerStatus cache_;
};

} // namespace switcher
