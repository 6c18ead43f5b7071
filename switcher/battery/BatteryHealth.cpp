#include "switcher/battery/BatteryHealth.h"

#include "switcher/battery/BatteryFiles.h"
#include "switcher/logic/BatteryStatusLogic.h"

namespace switcher {

namespace {

constexpr wchar_t kPowerTag[] = L"CUIDlg::OnPower";
constexpr wchar_t kReadBatteryTag[] = L"read_bat";
constexpr wchar_t kReadEcTag[] = L"read_ec";
constexpr wchar_t kCounterTag[] = L"cbt_cnt";
constexpr wchar_t kCommandReadTag[] = L"cmd_read_ec";
constexpr wchar_t kCommandWriteTag[] = L"cmd_write_ec";

// Which traces print: the per-call results of the library are kept quiet.
constexpr bool kTraceEcCalls = false;
constexpr bool kTraceHealth = true;

} // namespace

BatteryHealth::BatteryHealth(PortaxLibrary& ec, TraceSink trace) : ec_(ec), trace_(trace) {}

void BatteryHealth::Start() {
    ec_.Write(kEcEventCommand, kEcStartData);
}

BatteryValues BatteryHealth::ReadBattery() {
    std::optional<OverrideValues> overridden;
    if (const auto path = BatteryFilePath(kOverrideFileName)) {
        overridden = ReadOverrideFile(*path);
    }
    BatteryValues values;
    if (overridden) {
        values = overridden->values;
    } else {
        std::array<std::uint8_t, kBatteryRegisters.size()> bytes{};
        for (std::size_t i = 0; i < kBatteryRegisters.size(); ++i) {
            int result = 0;
            bytes[i] = ec_.Receive(kEcReadRegister, kBatteryRegisters[i], &result);
            Trace(kTraceEcCalls, kReadEcTag, L"%x\n", result);
        }
        values = ValuesFromRegisters(bytes);
    }
    Trace(kTraceHealth, kReadBatteryTag, L"%s", ValuesTrace(values).c_str());
    return values;
}

std::int32_t BatteryHealth::CountEvent(bool reset) {
    // The controller is asked and acknowledged on every call, reset or not.
    int result = 0;
    const std::uint8_t flag = ec_.Receive(kEcEventCommand, kEcEventQuery, &result);
    Trace(kTraceEcCalls, kCommandReadTag, L"%x\n", result);
    result = ec_.Write(kEcEventCommand, kEcAcknowledge);
    Trace(kTraceEcCalls, kCommandWriteTag, L"%x\n", result);

    const auto path = BatteryFilePath(kCounterFileName);
    if (reset) {
        if (path && !DeleteCounterFile(*path)) {
            Trace(kTraceHealth, kCounterTag, L"The counter file cannot be deleted.\n");
        }
        Trace(kTraceHealth, kCounterTag, L"rest, m=0\n");
        return 0;
    }
    const CounterUpdate update = path ? UpdateCounterFile(*path, flag != 0) : CounterUpdate{};
    switch (update.opened) {
    case CounterUpdate::Opened::Failed:
        Trace(kTraceHealth, kCounterTag, L"fail, m=0\n");
        return 0;
    case CounterUpdate::Opened::Created:
        Trace(kTraceHealth, kCounterTag, L"new\n");
        break;
    case CounterUpdate::Opened::Existing:
        break;
    }
    if (!update.written) {
        Trace(kTraceHealth, kCounterTag, L"The count cannot be written.\n");
    }
    if (!update.sharedWithEveryone) {
        Trace(kTraceHealth, kCounterTag, L"The counter file cannot be shared.\n");
    }
    Trace(kTraceHealth, kCounterTag, L"m=%d\n", static_cast<int>(update.count));
    return update.count;
}

HealthResult BatteryHealth::Check(const SYSTEM_POWER_STATUS& status, const ResourceTokens& texts,
                                  const TrayCalls& tray) {
    HealthResult result;
    const auto callTray = [&result, &tray] {
        if (tray) {
            tray(result);
        }
    };
    if (status.BatteryFlag == kNoSystemBattery) {
        result.tray = HealthResult::Tray::Remove;
        callTray();
        Trace(kTraceHealth, kPowerTag, L"No system battery.\n");
        return result;
    }
    const BatteryCondition condition = Classify(ReadBattery());
    result.condition = condition;
    if (condition == BatteryCondition::Good) {
        result.tray = HealthResult::Tray::Remove;
        callTray();
        CountEvent(true);
    } else if (ShouldWarn(CountEvent(false), forceWarning_)) {
        result.tray = HealthResult::Tray::ShowWarning;
        result.warning = WarningFor(condition, texts);
        callTray();
        CountEvent(true);
        forceWarning_ = false;
    }
    Trace(kTraceHealth, kPowerTag, L"%s", ConditionTrace(condition));
    result.indicatorText = PercentText(status.BatteryLifePercent);
    return result;
}

} // namespace switcher
