#include "ReminderRules.h"

#include "AsciiText.h"

namespace tray {

namespace {

constexpr std::int64_t kCycleModulus = 250;

} // namespace

bool NeedsReconditioning(std::string_view chemistry) {
    return SameTextIgnoringAsciiCase(chemistry, "NiMh");
}

ReminderStep DecideReminder(std::uint32_t msgFlg, std::uint32_t nextCycle, int cycle) {
    const std::int64_t c = cycle;
    const std::int64_t next = nextCycle;
    switch (msgFlg) {
    case kRemindEvery50:
        return c != 0 && c % 50 == 0 ? ReminderStep::Show : ReminderStep::Nothing;
    case kRemindAtNext:
        if (c < 0) {
            return ReminderStep::Nothing;
        }
        if (c == next) {
            return ReminderStep::Show;
        }
        if ((c < next && next - c > 50) || (next < c && c - next < 200)) {
            return ReminderStep::Reset;
        }
        return ReminderStep::Nothing;
    case kRemindNever:
        return ReminderStep::Nothing;
    default:
        return ReminderStep::Reset;
    }
}

std::uint32_t NextReminderCycle(int cycle, int step) {
    std::int64_t next = static_cast<std::int64_t>(cycle < 0 ? 0 : cycle) + step;
    if (next > kCycleModulus) {
        next %= kCycleModulus;
    }
    return static_cast<std::uint32_t>(next);
}

ReminderChoice ChoiceForAnswer(bool neverAgain, int cycle) {
    if (neverAgain) {
        return {kRemindNever, 0};
    }
    return {kRemindAtNext, NextReminderCycle(cycle, kAnswerStep)};
}

ReminderChoice ChoiceForLater(int cycle) {
    return {kRemindAtNext, NextReminderCycle(cycle, kLaterStep)};
}

} // namespace tray
