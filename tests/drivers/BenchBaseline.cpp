// benchbaseline: the yardsticks the tray program's benchmarks are measured against.
//
//   benchbaseline apply   a hidden window of class "TvPMBaseline" that answers
//                         WM_SCHEME_CHANGED with the registry reads and writes, power-manager
//                         and firmware calls of the tray's scheme-change handling, and a power
//                         status change with those of an apply; nothing else (no icon, no tip,
//                         no sleeps)
//   benchbaseline timer   a hidden window of class "TvPMIdleBaseline" with a 1 s timer that
//                         does nothing
#include <windows.h>

#include <cstring>

#include "CBrightnessLevel.h"
#include "DriverSupport.h"
#include "Firmware.h"
#include "PolicyApply.h"
#include "PolicyLibrary.h"
#include "PowerApi.h"
#include "PowerStatus.h"
#include "SchemeStore.h"
#include "VersionClass.h"
#include "WindowsVersion.h"

namespace {

constexpr char kApplyClass[] = "TvPMBaseline";
constexpr char kTimerClass[] = "TvPMIdleBaseline";
constexpr UINT_PTR kIdleTimer = 1;

struct Machine {
    hardware::NotebookPolicy policy;
    int versionClass = 0;
    int scheme = -1;
    bool enhancedSpeedStep = false;
};

Machine g_machine;

int SchemeInForce(const store::GlobalPowerSettings& global) {
    return hardware::AcLineStatus() == 1 ? static_cast<int>(global.PwrSchemeAC)
                                         : static_cast<int>(global.PwrSchemeDC);
}

void Apply(int inForce) {
    store::PowerApi api;
    store::SchemeStore s;
    s.LoadGlobal(HKEY_CURRENT_USER);
    s.LoadScheme(HKEY_CURRENT_USER, inForce);
    const Machine& m = g_machine;
    store::ApplyGlobalSettings(s.global, m.versionClass, [&] {
        hardware::ApplyCoolingMethod(m.policy, s.global.CoolingMethod);
        store::ReserveHibernationFile(api, s.global.HibernateEnable);
        hardware::SetAutoResume(m.policy, (s.global.AutoResume & 1) != 0);
        hardware::SetHibernateBit(m.policy, (s.global.HibernateEnable & 1) != 0);
    });
    const int column = s.mode.ACPlug_IN == 1 ? 0 : store::BatteryColumn();
    store::ApplyMode(s.mode, column, m.scheme, [&](int used) {
        hardware::CBrightnessLevel().SetBrightnessLevel(s.mode.Brightnes[used]);
        if (m.policy.ProcessorWord() != 0 && s.global.CoolingMethod != 2) {
            const hardware::ProcessorSpeedRequest request{
                s.mode.CPU_Duty[used], s.global.CoolingMethod, m.enhancedSpeedStep,
                m.versionClass == store::kWindowsXp};
            hardware::ApplyProcessorSpeed(m.policy, request, [&](std::uint32_t throttle) {
                store::WriteProcessorPolicy(api, m.scheme, static_cast<BYTE>(throttle));
            });
        }
    });
    api.SetActivePwrScheme(static_cast<UINT>(m.scheme), nullptr, nullptr);
}

// What the tray reads and writes for one WM_SCHEME_CHANGED: the global settings, the mode in
// force for its tip and for its icon, the apply, and the modes it watches for linked programs.
void SchemeChanged() {
    store::SchemeStore s;
    s.LoadGlobal(HKEY_CURRENT_USER);
    const int inForce = SchemeInForce(s.global);
    store::SchemeStore tip, icon;
    tip.LoadScheme(HKEY_CURRENT_USER, inForce);
    icon.LoadScheme(HKEY_CURRENT_USER, inForce);
    Apply(inForce);
    for (int id = 0; id <= s.ReadLastId(); ++id) {
        store::SchemeStore linked;
        linked.LoadScheme(HKEY_CURRENT_USER, id);
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case drivers::kSchemeChanged:
        SchemeChanged();
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMPOWERSTATUSCHANGE) {
            store::SchemeStore s;
            s.LoadGlobal(HKEY_CURRENT_USER);
            Apply(SchemeInForce(s.global));
        }
        return TRUE;
    case WM_TIMER:
        return 0;
    case drivers::kTrayExit:
        ::DestroyWindow(window);
        return 0;
    default:
        return drivers::DefaultWindowProc(window, message, wParam, lParam);
    }
}

} // namespace

int main(int argc, char** argv) {
    const bool timerOnly = argc > 1 && std::strcmp(argv[1], "timer") == 0;
    const char* className = timerOnly ? kTimerClass : kApplyClass;
    if (!timerOnly) {
        hardware::PolicyLibrary library;
        if (!library.LoadPolicy()) {
            return 1;
        }
        g_machine.policy = library.Policy();
        g_machine.versionClass = store::WindowsVersionClass();
        g_machine.scheme = store::FindSystemScheme();
        g_machine.enhancedSpeedStep = hardware::ReadSpeedStepSupport() != 0;
    }
    HWND window = drivers::MakeWindow(className, className, WindowProc, {0, 0, 100, 100});
    if (window == nullptr) {
        return 1;
    }
    if (timerOnly) {
        ::SetTimer(window, kIdleTimer, 1000, nullptr);
    }
    drivers::RunMessageLoop();
    return 0;
}
