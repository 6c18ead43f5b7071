#include "switcher/logic/BatteryStatusLogic.h"

#include <array>

namespace switcher {

namespace {

constexpr std::array<std::uint32_t, 6> kLevelBounds{10, 25, 50, 75, 95, 100};

// An estimate claiming more than 16 hours for a full battery is not believed.
constexpr std::uint64_t kFullBatterySeconds = 16 * 3600;

std::wstring Number(std::uint64_t value) {
    return std::to_wstring(value);
}

std::wstring ClockText(const LifeTimeCheck& check) {
    return L"Battery life time=" + Number(check.hours) + L":" + Number(check.minutes) + L":" +
           Number(check.seconds);
}

enum class TraceStyle { OnPower, OnTimer };

// Runs the check on the status and updates the text when the estimate is believed.
void ApplyLifeTime(IndicatorUpdate& update, const PowerStatus& status, const ResourceTokens& texts,
                   TraceStyle style) {
    const LifeTimeCheck check = CheckLifeTime(status.lifeTime, status.percent);
    update.traces.push_back(Number(status.lifeTime) + L"*100/(16*3600)=" + Number(check.scaled) +
                            L", " + Number(status.percent) + L"\n");
    if (!check.believed) {
        update.traces.push_back(L"Wrong battery life time...ignore, ");
        update.traces.push_back(ClockText(check) + L"\n");
        return;
    }
    update.text = FillNumbers(texts[kTokenTimeRemaining], {check.hours, check.minutes});
    update.traces.push_back(ClockText(check) + (style == TraceStyle::OnPower ? L"\n" : L""));
}

} // namespace

int BatteryFrame(std::uint32_t percent) {
    int frame = 0;
    while (frame < kMainsFrame && percent > kLevelBounds[static_cast<std::size_t>(frame)]) {
        ++frame;
    }
    return frame;
}

std::wstring PercentText(std::uint32_t percent) {
    return Number(percent) + L"%";
}

std::wstring FillNumbers(std::wstring_view pattern, const std::vector<std::uint32_t>& values) {
    std::wstring out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t c = pattern[i];
        const wchar_t following = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
        if (c == L'%' && following == L'%') {
            out.push_back(L'%');
            ++i;
        } else if (c == L'%' && following == L'd' && next < values.size()) {
            out += Number(values[next++]);
            ++i;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

LifeTimeCheck CheckLifeTime(std::uint32_t seconds, std::uint32_t percent) {
    LifeTimeCheck check;
    // Wide arithmetic: in 32 bits seconds * 100 wraps above 42,949,672 s and a wildly wrong
    // estimate could pass the check.
    check.scaled = std::uint64_t{seconds} * 100 / kFullBatterySeconds;
    check.believed = check.scaled <= percent;
    check.hours = seconds / 3600;
    check.minutes = seconds % 3600 / 60;
    check.seconds = seconds % 60;
    return check;
}

BatteryStatusCache::BatteryStatusCache(const PowerStatus& atCreation) : cache_(atCreation) {
    cache_.lifeTime = kUnknownLifeTime;
}

IndicatorUpdate BatteryStatusCache::OnPowerSettingChange(PowerStatus now,
                                                         bool percentageNotification,
                                                         const ResourceTokens& texts) {
    // The estimate is taken only when the percentage moves; other notifications reuse it.
    if (percentageNotification) {
        cache_ = now;
    } else {
        now.lifeTime = cache_.lifeTime;
    }
    IndicatorUpdate update;
    if (now.acLine == kAcOnline) {
        update.frame = kMainsFrame;
        if (now.percent != kUnknownPercent) {
            update.text = PercentText(now.percent);
        }
        cache_.lifeTime = kUnknownLifeTime;
        update.traces.push_back(L"AC mode.\n");
        return update;
    }
    update.frame = BatteryFrame(now.percent);
    update.traces.push_back(L"Battery life percent=" + Number(now.percent) + L"%.\n");
    update.text = texts[kTokenCalculating];
    if (now.lifeTime != kUnknownLifeTime) {
        ApplyLifeTime(update, now, texts, TraceStyle::OnPower);
    }
    return update;
}

IndicatorUpdate BatteryStatusCache::OnPopupTimer(const PowerStatus& now,
                                                 const ResourceTokens& texts) {
    IndicatorUpdate update;
    if (now.acLine == kAcOnline) {
        return update;
    }
    cache_ = now;
    if (now.lifeTime == kUnknownLifeTime) {
        update.text = texts[kTokenCalculating];
        update.traces.push_back(L"Battery life time is calculating.\n");
        return update;
    }
    ApplyLifeTime(update, now, texts, TraceStyle::OnTimer);
    return update;
}

} // namespace switcher
