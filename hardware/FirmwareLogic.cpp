#include "FirmwareLogic.h"

namespace hardware {

bool IsBrightnessStep(std::uint32_t step) {
    return step >= kBrightnessStepFirst && step <= kBrightnessStepLast;
}

// Worked out in 64 bits: a damaged stored step may be any word, and only the steps 1 to 8
// are ever sent, but the trace lines show what the others would have meant.
int BrightnessUpsideDown(std::uint32_t step) {
    return static_cast<int>(8 - static_cast<std::int64_t>(step));
}

int BrightnessPercent(std::uint32_t step) {
    const std::int64_t upsideDown = 8 - static_cast<std::int64_t>(step);
    return static_cast<int>((upsideDown * 5 + 5) * 25 / 10);
}

std::optional<std::uint32_t> PanelPercentFor(std::uint32_t step) {
    if (!IsBrightnessStep(step)) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(BrightnessPercent(step));
}

std::uint32_t WakeBitsWith(std::uint32_t current, std::uint32_t bit, bool on) {
    if (on) {
        return current | bit;
    }
    return current & (0xFFu & ~bit);
}

std::optional<std::uint32_t> FanModeFor(std::uint32_t coolingMethod) {
    if (coolingMethod > kCoolingSilent) {
        return std::nullopt;
    }
    return kCoolingSilent - coolingMethod;
}

int ProcessorKindFor(bool enhancedSpeedStep) {
    return enhancedSpeedStep ? kSpeedStepProcessor : kOtherProcessor;
}

ProcessorSpeedPlan PlanProcessorSpeed(const NotebookPolicy& policy,
                                      const ProcessorSpeedRequest& request) {
    ProcessorSpeedPlan plan;
    if (policy.ProcessorWord() == 0 || request.coolingMethod == kCoolingSilent) {
        return plan;
    }
    // A duty of 0 (a cleared record) or above 4 (a damaged one) names no row; reading it
    // would take words from elsewhere in the record, or from past its end.
    if (request.duty < 1 || request.duty > static_cast<std::uint32_t>(kProcessorRows)) {
        return plan;
    }
    const int row = static_cast<int>(request.duty) - 1;
    const auto values =
        policy.Row(row, ProcessorKindFor(request.enhancedSpeedStep), request.windowsXp);
    if (!values) {
        return plan;
    }
    plan.throttle = values->throttle;
    plan.clock = values->clock;
    if (values->flags & kRowSetsThrottle) {
        plan.writeXpPolicy = request.windowsXp;
        plan.sendThrottle = !request.windowsXp;
    }
    plan.sendClock = (values->flags & kRowSetsClock) != 0;
    return plan;
}

} // namespace hardware
