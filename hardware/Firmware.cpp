#include "Firmware.h"

#include <cpuid.h>

#include <cstdarg>
#include <string_view>

#include "framework/TextCut.h"
#include "framework/WindowText.h"

namespace hardware {

// The suite and the notebook library must agree on every code.
static_assert(kMethodBrightness == notebook::kMethodBrightness);
static_assert(kMethodProcessorClock == notebook::kMethodClock);
static_assert(kMethodThrottle == notebook::kMethodThrottle);
static_assert(kMethodFanMode == notebook::kMethodFanMode);
static_assert(kMethodCycleCount == notebook::kMethodCycleCount);
static_assert(kMethodWakeBits == notebook::kMethodWakeBits);
static_assert(kMethodWakeBitsWrite == notebook::kMethodWakeBitsWrite);
static_assert(kWakeOnLidOpen == notebook::kWakeBitAutoResume);
static_assert(kWakeHibernate == notebook::kWakeBitHibernate);

namespace {

bool SetWakeBit(const NotebookPolicy& policy, std::uint32_t bit, bool on,
                const FirmwarePort& port) {
    if (policy.WakeBitsWord() == 0) {
        return false;
    }
    const int current = port.Call(kMethodWakeBits);
    if (current == kMethodFailed) {
        // Writing back what a failed read gave would switch on every other wake bit.
        port.Trace("[Velmora][CBrightnessLevel] ControlMethod(TKPE) read failed, bit 0x%x "
                   "left as it was\n",
                   static_cast<unsigned>(bit));
        return false;
    }
    const std::uint32_t value = WakeBitsWith(static_cast<std::uint32_t>(current), bit, on);
    return port.CallEx(kMethodWakeBitsWrite, value) != kMethodFailed;
}

} // namespace

// A port with a missing entry answers as a failing method would.
int FirmwarePort::Call(std::uint32_t code) const {
    return controlMethod ? controlMethod(code) : kMethodFailed;
}

int FirmwarePort::CallEx(std::uint32_t code, std::uint32_t argument) const {
    return controlMethodEx ? controlMethodEx(code, argument) : kMethodFailed;
}

void FirmwarePort::Trace(const char* format, ...) const {
    if (trace == nullptr) {
        return;
    }
    char buffer[kTraceBufferSize];
    va_list args;
    va_start(args, format);
    const std::size_t length = framework::FormatIntoV(buffer, format, args);
    va_end(args);
    buffer[framework::WholeCharacterBytes(std::string_view(buffer, length),
                                          framework::IsAnsiLeadByte)] = '\0';
    trace(buffer);
}

FirmwarePort ZelnorPort() {
    return FirmwarePort{&ControlMethod, &ControlMethodEx, &framework::TraceText};
}

void SetProcessorClock(std::uint32_t value, const FirmwarePort& port) {
    port.CallEx(kMethodProcessorClock, value);
}

void SetProcessorThrottle(std::uint32_t value, const FirmwarePort& port) {
    port.CallEx(kMethodThrottle, value);
}

void SetFanMode(std::uint32_t value, const FirmwarePort& port) {
    port.CallEx(kMethodFanMode, value);
}

int ReadCycleCount(const FirmwarePort& port) {
    return port.CallEx(kMethodCycleCount, 0);
}

bool SetAutoResume(const NotebookPolicy& policy, bool on, const FirmwarePort& port) {
    return SetWakeBit(policy, kWakeOnLidOpen, on, port);
}

bool SetHibernateBit(const NotebookPolicy& policy, bool on, const FirmwarePort& port) {
    return SetWakeBit(policy, kWakeHibernate, on, port);
}

bool ApplyCoolingMethod(const NotebookPolicy& policy, std::uint32_t coolingMethod,
                        const FirmwarePort& port) {
    if (policy.FanWord() == 0) {
        return false;
    }
    const auto mode = FanModeFor(coolingMethod);
    if (!mode) {
        port.Trace("[Velmora][CBrightnessLevel] CoolingMethod 0x%x unknown, fan left as it "
                   "was\n",
                   static_cast<unsigned>(coolingMethod));
        return false;
    }
    SetFanMode(*mode, port);
    return true;
}

void ApplyProcessorSpeed(const NotebookPolicy& policy, const ProcessorSpeedRequest& request,
                         const ProcessorPolicyWriter& writeXpPolicy, const FirmwarePort& port) {
    const ProcessorSpeedPlan plan = PlanProcessorSpeed(policy, request);
    if (plan.writeXpPolicy) {
        if (writeXpPolicy) {
            writeXpPolicy(plan.throttle);
        } else {
            port.Trace("[Velmora][CBrightnessLevel] no processor policy writer, throttle "
                       "0x%x not applied\n",
                       static_cast<unsigned>(plan.throttle));
        }
    }
    if (plan.sendThrottle) {
        SetProcessorThrottle(plan.throttle, port);
    }
    if (plan.sendClock) {
        SetProcessorClock(plan.clock, port);
    }
}

int ReadSpeedStepSupport() {
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) {
        return 0;
    }
    return static_cast<int>(ecx & kSpeedStepCpuidBit);
}

} // namespace hardware
