// What "Initial" does: makes sure the Windows scheme "Power Management", the factory tree and
// the user's working tree exist, adding only what is missing.
#pragma once

#include <windows.h>

#include <functional>

#include "NotebookPolicy.h"
#include "PowerPolicyTypes.h"
#include "SchemeStore.h"

namespace installer {

// text, caption, style -> result; replaceable so that a test can answer the box.
using MessageBoxFn = std::function<int(const char*, const char*, UINT)>;

class Installer {
public:
    // resources: the module whose string table names the factory modes.
    // policy: the library's one copy of the last notebook policy it loaded.
    Installer(HINSTANCE resources, hardware::NotebookPolicy& policy, MessageBoxFn box);

    int Initial();

private:
    // Loads the notebook policy afresh; on failure tells the user once per call and keeps
    // the previous copy, whose model code then counts as 0.
    bool LoadPolicy();
    void EnsureWindowsScheme();
    // Vista and later: the scheme through the power-scheme interface, never an XP record.
    void EnsureSuiteScheme();
    void SetGlobalDefaults(store::SchemeStore& store);
    void FactoryMode(int n, store::SchemeStore& store);
    void SaveTree(HKEY root, bool dvd);

    HINSTANCE resources_;
    hardware::NotebookPolicy& policy_;
    MessageBoxFn box_;
    LANGID language_ = 0;
    bool toldUser_ = false;
};

// The power policy the scheme is created with, and its processor policy (Windows XP only).
void InitialPowerPolicy(POWER_POLICY& policy);
void InitialProcessorPolicy(MACHINE_PROCESSOR_POWER_POLICY& policy);

} // namespace installer
