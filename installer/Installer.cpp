#include "Installer.h"

#include <cstring>
#include <string>

#include "DecimalText.h"
#include "FactoryDefaults.h"
#include "FirmwareLogic.h"
#include "MessageBoxes.h"
#include "PolicyLibrary.h"
#include "PolicyMapping.h"
#include "PolicyRecords.h"
#include "PowerApi.h"
#include "RegistryKey.h"
#include "SchemeSettings.h"
#include "SuiteScheme.h"
#include "VersionClass.h"
#include "WindowsVersion.h"
#include "framework/TextCut.h"
#include "framework/WindowText.h"

namespace installer {
namespace {

constexpr UCHAR kSleepingStateS1 = 2; // PowerSystemSleeping1
constexpr UCHAR kSleepingStateS3 = 4; // PowerSystemSleeping3

// The Windows LastID, or the highest scheme number that exists when the value is missing or
// damaged, so that a new scheme never takes the number of an existing one.
int WindowsLastId() {
    store::RegistryKey machine(HKEY_LOCAL_MACHINE);
    char text[store::kTextSize] = {};
    if (machine.Open(store::kPowerCfgMachinePath, KEY_QUERY_VALUE) &&
        machine.ReadString("LastID", text)) {
        if (const auto id = store::ParseDecimal(text); id && *id >= 0) {
            return *id;
        }
    }
    int highest = -1;
    store::RegistryKey schemes(HKEY_CURRENT_USER);
    if (schemes.Open(store::kUserSchemesPath, KEY_ENUMERATE_SUB_KEYS)) {
        char name[store::kSubkeyNameSize];
        for (DWORD i = 0; schemes.EnumSubkey(i, name); ++i) {
            if (const auto n = store::ParseDecimal(name); n && *n > highest) {
                highest = *n;
            }
        }
    }
    return highest;
}

// A text of the string table in the ANSI code page, cut to `maxBytes` between two characters.
void LoadText(HINSTANCE module, int id, char (&text)[store::kTextSize], std::size_t maxBytes) {
    text[0] = '\0';
    if (id == 0) {
        return;
    }
    char loaded[store::kTextSize] = {};
    const int length = ::LoadStringA(module, static_cast<UINT>(id), loaded, sizeof loaded);
    if (length > 0) {
        framework::CopyToField(text, std::string_view(loaded, static_cast<std::size_t>(length)),
                               framework::IsAnsiLeadByte, maxBytes);
    }
}

} // namespace

void InitialPowerPolicy(POWER_POLICY& policy) {
    std::memset(&policy, 0, sizeof policy);
    USER_POWER_POLICY& user = policy.user;
    user.Revision = 1;
    user.IdleAc = {PowerActionSleep, POWER_ACTION_QUERY_ALLOWED, 0};
    user.IdleDc = {PowerActionSleep, 0, 0};
    user.IdleSensitivityAc = 50;
    user.IdleSensitivityDc = 50;
    user.MaxSleepAc = static_cast<SYSTEM_POWER_STATE>(kSleepingStateS3);
    user.MaxSleepDc = static_cast<SYSTEM_POWER_STATE>(kSleepingStateS3);
    user.OptimizeForPowerAc = TRUE;
    user.OptimizeForPowerDc = TRUE;
    user.FanThrottleToleranceAc = 100;
    user.FanThrottleToleranceDc = 100;

    MACHINE_POWER_POLICY& machine = policy.mach;
    machine.Revision = 1;
    machine.MinSleepAc = static_cast<SYSTEM_POWER_STATE>(kSleepingStateS1);
    machine.MinSleepDc = static_cast<SYSTEM_POWER_STATE>(kSleepingStateS1);
    machine.ReducedLatencySleepAc = static_cast<SYSTEM_POWER_STATE>(kSleepingStateS1);
    machine.ReducedLatencySleepDc = static_cast<SYSTEM_POWER_STATE>(kSleepingStateS1);
    machine.MinThrottleAc = 25;
    machine.MinThrottleDc = 25;
    machine.OverThrottledAc = {PowerActionSleep, 0, 0};
    machine.OverThrottledDc = {PowerActionSleep, 0, 0};
}

void InitialProcessorPolicy(MACHINE_PROCESSOR_POWER_POLICY& policy) {
    std::memset(&policy, 0, sizeof policy);
    store::BuildProcessorPolicy(0, 0, policy);
    // The only difference from what the tray program writes later: the battery's highest
    // step is promoted at 80 % instead of 70 %.
    policy.ProcessorPolicyDc.Policy[2].PromotePercent = 80;
}

Installer::Installer(HINSTANCE resources, hardware::NotebookPolicy& policy, MessageBoxFn box)
    : resources_(resources), policy_(policy), box_(std::move(box)) {}

bool Installer::LoadPolicy() {
    hardware::PolicyLibrary library;
    if (library.LoadPolicy() != 0) {
        policy_ = library.Policy();
        return true;
    }
    // The same failure would otherwise be reported once per reload within one call.
    if (!toldUser_) {
        toldUser_ = true;
        box_(hardware::kPolicyLoadFailText, hardware::kPowerManagementCaption,
             hardware::kRefusalStyle);
    }
    return false;
}

void Installer::EnsureSuiteScheme() {
    store::PowerSchemeApi api;
    if (store::FindSuiteScheme(api)) {
        return;
    }
    // The scheme starts out as the factory mains mode with the factory settings.
    store::SchemeStore factory;
    SetGlobalDefaults(factory);
    FactoryMode(0, factory);
    store::EnsureSuiteScheme(
        api, store::SchemeValuesFor(factory.mode, 0, factory.global,
                                    hardware::PanelPercentFor(factory.mode.Brightnes[0])));
}

void Installer::EnsureWindowsScheme() {
    if (store::WindowsUsesSchemeInterface()) {
        EnsureSuiteScheme();
        return;
    }
    if (store::FindSystemScheme() != -1) {
        return;
    }
    store::PowerApi api;
    const int lastId = WindowsLastId();
    UINT id = static_cast<UINT>(lastId + 1);

    POWER_POLICY policy;
    InitialPowerPolicy(policy);
    wchar_t name[] = L"Power Management";
    wchar_t description[] = L"Power Management";
    if (!api.WritePwrScheme(&id, name, description, &policy)) {
        // Nothing was created: leave LastID alone so that the next call tries again.
        return;
    }

    store::RegistryKey machine(HKEY_LOCAL_MACHINE);
    if (machine.Open(store::kPowerCfgMachinePath, KEY_SET_VALUE)) {
        machine.WriteString("LastID", std::to_string(id).c_str());
    }
    machine.Close();

    // The names are written again in the suite's own 8-bit text, which is what the store and
    // every reader of the scheme compare against.
    store::RegistryKey user(HKEY_CURRENT_USER);
    if (user.Open(std::string(store::kUserSchemesPath) + "\\" + std::to_string(id))) {
        user.WriteString("Name", store::kSystemSchemeName);
        user.WriteString("Description", store::kSystemSchemeName);
    }
    user.Close();

    if (store::WindowsVersionClass() == store::kWindowsXp) {
        const int scheme = static_cast<int>(id);
        store::RegistryKey processor(HKEY_LOCAL_MACHINE);
        processor.Create(store::ProcessorPolicyPath(scheme), KEY_SET_VALUE);
        processor.Close();
        MACHINE_PROCESSOR_POWER_POLICY record;
        InitialProcessorPolicy(record);
        store::ProcessorPolicyRecord(record, scheme, true);
    }
}

void Installer::SetGlobalDefaults(store::SchemeStore& store) {
    // Without the button word the lid depends on the model, which is asked for afresh.
    const bool standBy = policy_.ButtonWord() != 0;
    unsigned modelCode = 0;
    if (!standBy && LoadPolicy()) {
        modelCode = policy_.ModelCode();
    }
    store.global = GlobalDefaults(standBy, modelCode, language_);
}

void Installer::FactoryMode(int n, store::SchemeStore& store) {
    store.ResetScheme();
    store.mode.id = n;
    FactoryModeValues(n, store.mode);
    LoadText(resources_, FactoryNameId(n), store.mode.NamePolicy, store::kModeNameLimit);
    LoadText(resources_, FactoryDescriptionId(n), store.mode.DescriptionPolicy,
             store::kTextSize - 1);
}

void Installer::SaveTree(HKEY root, bool dvd) {
    store::SchemeStore store;
    SetGlobalDefaults(store);
    if (root == HKEY_CURRENT_USER) {
        store.WriteLastId(dvd ? kDvdMode : kDvdMode - 1);
    }
    store.SaveGlobal(root);
    const int count = dvd ? kFactoryModeCount : kFactoryModeCount - 1;
    for (int n = 0; n < count; ++n) {
        FactoryMode(n, store);
        store.SaveScheme(root, n);
    }
    if (root == HKEY_LOCAL_MACHINE) {
        store.WriteReminder(0, 0);
    }
}

int Installer::Initial() {
    toldUser_ = false;
    language_ = ::GetSystemDefaultLangID();
    const unsigned modelCode = LoadPolicy() ? policy_.ModelCode() : 0;
    const bool dvd = InstallsDvdMode(modelCode, language_);

    EnsureWindowsScheme();

    store::RegistryKey probe(HKEY_LOCAL_MACHINE);
    if (!probe.Open(store::kBasePath, KEY_ENUMERATE_SUB_KEYS)) {
        SaveTree(HKEY_LOCAL_MACHINE, dvd);
    }
    store::RegistryKey userProbe(HKEY_CURRENT_USER);
    if (!userProbe.Open(store::kBasePath, KEY_ENUMERATE_SUB_KEYS)) {
        SaveTree(HKEY_CURRENT_USER, dvd);
    }
    return 1;
}

} // namespace installer
