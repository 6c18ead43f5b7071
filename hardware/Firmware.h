// The firmware operations of the suite: processor clock and throttle, fan, charge cycles, the
// lid and hibernate wake bits, and the processor speed step of a mode.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

#include "FirmwareLogic.h"
#include "NotebookInterfaces.h"
#include "NotebookPolicy.h"
#include "framework/Trace.h"

namespace hardware {

// Trace lines are formatted into a buffer of this size (1,040 bytes); longer text is cut.
inline constexpr std::size_t kTraceBufferSize = framework::kTraceLineSize;
static_assert(kTraceBufferSize == 1040);

using notebook::ControlMethodExFn;
using notebook::ControlMethodFn;
using TraceFn = void(WINAPI*)(const char* text);

// The firmware as the suite reaches it: the control-method library's two entry points and the
// debugger output the firmware code traces to. Tests put recorders in place of any of them.
struct FirmwarePort {
    ControlMethodFn controlMethod = nullptr;
    ControlMethodExFn controlMethodEx = nullptr;
    TraceFn trace = nullptr;

    int Call(std::uint32_t code) const;
    int CallEx(std::uint32_t code, std::uint32_t argument) const;
    void Trace(const char* format, ...) const FRAMEWORK_PRINTF(2, 3);
};

// Zelnor.dll's ControlMethod and ControlMethodEx, and the suite's trace facility.
FirmwarePort ZelnorPort();

void SetProcessorClock(std::uint32_t value, const FirmwarePort& port = ZelnorPort());
void SetProcessorThrottle(std::uint32_t value, const FirmwarePort& port = ZelnorPort());
void SetFanMode(std::uint32_t value, const FirmwarePort& port = ZelnorPort());
// The battery's charge-cycle count as the embedded controller keeps it.
int ReadCycleCount(const FirmwarePort& port = ZelnorPort());

// Read-modify-write of one wake bit. False without any call when the policy has no wake
// bits, false without a write when the bits cannot be read, else whether the write worked.
bool SetAutoResume(const NotebookPolicy& policy, bool on, const FirmwarePort& port = ZelnorPort());
bool SetHibernateBit(const NotebookPolicy& policy, bool on,
                     const FirmwarePort& port = ZelnorPort());

// Fan mode for the global settings: 2 - CoolingMethod, when the policy allows fan control.
// Returns whether the fan method was called.
bool ApplyCoolingMethod(const NotebookPolicy& policy, std::uint32_t coolingMethod,
                        const FirmwarePort& port = ZelnorPort());

// Writes the Windows processor policy of the suite's scheme with DynamicThrottle set to the
// throttle (the power-policy bridge does the writing).
using ProcessorPolicyWriter = std::function<void(std::uint32_t throttle)>;

// The processor speed step of a mode. On Windows XP a row that sets the throttle goes through
// the writer; elsewhere through the firmware.
void ApplyProcessorSpeed(const NotebookPolicy& policy, const ProcessorSpeedRequest& request,
                         const ProcessorPolicyWriter& writeXpPolicy,
                         const FirmwarePort& port = ZelnorPort());

// 0x80 when the processor reports Enhanced SpeedStep (CPUID leaf 1, ECX bit 7), else 0.
int ReadSpeedStepSupport();

} // namespace hardware
