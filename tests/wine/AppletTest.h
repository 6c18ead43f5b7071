// The fixture of the applet's in-process tests: the applet's application object, the main dialog
// run with `inside` once it is up, message boxes recorded, and the store the installer writes
// at an opening removed around every test.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <cpl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "EmulatorTestSupport.h"
#include "applet/AppletMessages.h"
#include "applet/CControlPanelApp.h"
#include "applet/CPMDlg.h"
#include "applet/controls/ActionComboBox.h"
#include "applet/controls/AlarmSlider.h"
#include "applet/controls/HoverButton.h"
#include "applet/controls/IconStatic.h"
#include "applet/controls/HelpPopup.h"
#include "applet/controls/LabeledSlider.h"
#include "applet/controls/SchemeListCtrl.h"
#include "applet/controls/TextProgressCtrl.h"
#include "applet/pages/AdvancedPage.h"
#include "applet/pages/AlarmActionDlg.h"
#include "applet/pages/AlarmPage.h"
#include "applet/pages/BatteryMeterPage.h"
#include "applet/pages/PowerSaveModesPage.h"
#include "applet/pages/SchemePropertiesDlg.h"
#include "applet/AppletPolicy.h"
#include "applet/res/resource.h"
#include "framework/WindowText.h"
#include "hardware/BatteryQueries.h"
#include "store/PolicyRecords.h"
#include "store/RegistryKey.h"
#include "store/SchemeStore.h"
#include "store/SuiteMessages.h"

namespace applet_test {

using namespace applet;
using emulator_test::ResetMachineState;
using emulator_test::SetStateWord;

struct Box {
    std::string text;
    std::string caption;
    UINT style = 0;
    bool installerLoaded = false;
    bool policyLoaded = false;
};

// Removes what the installer's "Initial" wrote at an opening: both trees of the store and the
// Windows scheme, so that the tests that share the prefix find it as they left it.
inline void Uninstall() {
    store::DeleteKeyTree(HKEY_CURRENT_USER, "SOFTWARE\\TERVANE");
    store::DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\TERVANE");
    for (int scheme; (scheme = store::FindSystemScheme()) >= 0;) {
        store::DeleteKeyTree(HKEY_CURRENT_USER, store::UserPolicyPath(scheme));
        store::DeleteKeyTree(HKEY_LOCAL_MACHINE, store::MachinePolicyPath(scheme));
        store::DeleteKeyTree(HKEY_LOCAL_MACHINE, store::ProcessorPolicyPath(scheme));
    }
}

// The applet's application object for the test process: the main dialog becomes its main
// window, so the pages' messages reach it as they do in the Control Panel.
inline CControlPanelApp gApp;

class AppletTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMachineState();
        Uninstall();
        boxes.clear();
    }
    void TearDown() override {
        Uninstall();
        ResetMachineState();
    }

    hardware::StartOptions Options() {
        hardware::StartOptions options;
        options.installerLibrary = TOBRINEL_PATH;
        options.messageBox = [this](const char* text, const char* caption, UINT style) {
            boxes.push_back(Box{text, caption, style, ::GetModuleHandleA("Tobrinel.dll") != nullptr,
                                ::GetModuleHandleA("Sarnesh.dll") != nullptr});
            return IDOK;
        };
        return options;
    }

    // Opens the main dialog, runs `inside` once it is up, and returns DoModal's result.
    INT_PTR RunDialog(CPMDlg& dialog, const std::function<void(CPMDlg&)>& inside) {
        dialog.SetStartOptions(Options());
        current_ = &dialog;
        inside_ = inside;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &AppletTest::Tick);
        const INT_PTR result = dialog.DoModal();
        ::KillTimer(nullptr, timer);
        current_ = nullptr;
        return result;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
        if (current_ == nullptr || current_->Hwnd() == nullptr || !inside_) {
            return;
        }
        ::KillTimer(nullptr, timer);
        auto inside = std::move(inside_);
        inside_ = nullptr;
        inside(*current_);
        if (current_->Hwnd() != nullptr) {
            ::PostMessageA(current_->Hwnd(), WM_COMMAND, IDCANCEL, 0);
        }
    }

    static void Pump() {
        MSG message;
        for (int i = 0; i < 20; ++i) {
            while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (!gApp.PreTranslateMessage(message)) {
                    ::TranslateMessage(&message);
                    ::DispatchMessageA(&message);
                }
            }
            ::Sleep(5);
        }
    }

    // A key pressed with Ctrl (and Shift) held, as the thread's keyboard state tells it.
    static void PressWithControl(WPARAM key, bool shift) {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        BYTE held[256];
        std::memcpy(held, keys, sizeof held);
        held[VK_CONTROL] = 0x80;
        held[VK_SHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(held);
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, key, 0);
        Pump();
        ::SetKeyboardState(keys);
    }

    static store::GlobalPowerSettings StoredGlobal() {
        store::SchemeStore stored;
        stored.LoadGlobal(HKEY_CURRENT_USER);
        return stored.global;
    }

    std::vector<Box> boxes;
    static inline CPMDlg* current_ = nullptr;
    static inline std::function<void(CPMDlg&)> inside_;
};

} // namespace applet_test
