#include "tray/scheme/RemovalRun.h"

#include <windows.h>

#include <cstdlib>

#include "PowerApi.h"
#include "RegistryKey.h"
#include "SchemeStore.h"
#include "SuiteScheme.h"
#include "WindowsVersion.h"
#include "framework/Trace.h"
#include "tray/logic/TrayIds.h"

namespace tray {

namespace {

// The suite's own tree, the same path in both hives.
constexpr char kSuiteTree[] = "Software\\TERVANE\\Power Management";

void RemoveXpScheme() {
    store::PowerApi api;

    // Our scheme cannot be deleted while it is active: hand over to the first Windows scheme.
    char first[store::kSubkeyNameSize] = {};
    {
        store::RegistryKey schemes(HKEY_CURRENT_USER);
        if (schemes.Open(store::kUserSchemesPath, KEY_ENUMERATE_SUB_KEYS)) {
            schemes.EnumSubkey(0, first);
        }
    }
    const bool activated =
        api.SetActivePwrScheme(static_cast<UINT>(std::atoi(first)), nullptr, nullptr);
    const int ours = store::FindSystemScheme();
    const bool deleted = api.DeletePwrScheme(static_cast<UINT>(ours));
    framework::Trace("TvPMTray: Close: scheme %d %s, scheme %d %s.\n", std::atoi(first),
                     activated ? "activated" : "not activated", ours,
                     deleted ? "deleted" : "not deleted");
}

} // namespace

void RunRemoval() {
    if (const HWND running = ::FindWindowA(kFrameClassName, nullptr)) {
        // Synchronous: the tray has let go of its icon and hook when this returns.
        ::SendMessageA(running, WM_TRAY_EXIT, 0, 0);
    }
    if (store::WindowsUsesSchemeInterface()) {
        store::PowerSchemeApi schemes;
        const bool removed = store::RemoveSuiteScheme(schemes);
        framework::Trace("TvPMTray: Close: Balanced activated, scheme \"Power Management\" %s.\n",
                         removed ? "removed" : "not removed");
    } else {
        RemoveXpScheme();
    }

    store::DeleteKeyTree(HKEY_LOCAL_MACHINE, kSuiteTree);
    store::DeleteKeyTree(HKEY_CURRENT_USER, kSuiteTree);
}

} // namespace tray
