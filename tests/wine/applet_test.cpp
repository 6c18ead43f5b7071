// The applet in-process under Wine: its entry point as the Control Panel drives it, the start
// checks against the emulated notebook, the main dialog and its pages against the real
// registry, and the custom controls on a window of their own.
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

using namespace applet;
using emulator_test::ResetMachineState;
using emulator_test::SetStateWord;

namespace {

struct Box {
    std::string text;
    std::string caption;
    UINT style = 0;
    bool installerLoaded = false;
    bool policyLoaded = false;
};

// Removes what the installer's "Initial" wrote at an opening: both trees of the store and the
// Windows scheme, so that the tests that share the prefix find it as they left it.
void Uninstall() {
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
CControlPanelApp gApp;

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

TEST_F(AppletTest, EntryPointAnswersTheControlPanel) {
    const HMODULE cpl = ::LoadLibraryA(VUMO_PATH);
    ASSERT_NE(cpl, nullptr);
    using CplFn = LONG(APIENTRY*)(HWND, UINT, LPARAM, LPARAM);
    const auto entry = framework::ProcAddress<CplFn>(cpl, "CPlApplet");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);
    EXPECT_EQ(entry(nullptr, CPL_GETCOUNT, 0, 0), 1);

    CPLINFO old;
    std::memset(&old, 0xA5, sizeof old);
    EXPECT_EQ(entry(nullptr, CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&old)), 1);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&old);
    EXPECT_TRUE(std::all_of(bytes, bytes + sizeof old, [](unsigned char b) { return b == 0xA5; }))
        << "nothing filled";

    NEWCPLINFOA info;
    std::memset(&info, 0xA5, sizeof info);
    EXPECT_EQ(entry(nullptr, CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.dwSize, sizeof(NEWCPLINFOA));
    if (sizeof(void*) == 4) {
        EXPECT_EQ(info.dwSize, 244U);
    }
    EXPECT_EQ(info.dwFlags, 0U);
    EXPECT_EQ(info.dwHelpContext, 0U);
    EXPECT_NE(info.hIcon, nullptr);
    EXPECT_STREQ(info.szName, "Power Management");
    EXPECT_STREQ(info.szInfo, "Configures Power Management Utility Settings.");
    EXPECT_STREQ(info.szHelpFile, "");
    ::DestroyIcon(info.hIcon);

    EXPECT_EQ(entry(nullptr, CPL_SELECT, 0, 0), 0);
    EXPECT_EQ(entry(nullptr, 10, 0, 0), 0) << "the wide start falls back to the double click";
    EXPECT_EQ(entry(nullptr, 77, 0, 0), 1);
    EXPECT_EQ(entry(nullptr, CPL_STOP, 5, 0), 0) << "an item that does not exist";
    EXPECT_EQ(entry(nullptr, CPL_STOP, 0, 0), 0);
    EXPECT_EQ(entry(nullptr, CPL_EXIT, 0, 0), 0);
    ::FreeLibrary(cpl);
}

TEST_F(AppletTest, WithoutWriteRightsOnlyTheRefusalAndNoSiblingLoaded) {
    SetStateWord("CanUserWritePwrScheme", 0);
    CPMDlg dialog;
    dialog.SetStartOptions(Options());
    EXPECT_EQ(dialog.DoModal(), 0);
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, "You need administrator's rights to control power scheme.");
    EXPECT_EQ(boxes[0].caption, "Power Management");
    EXPECT_EQ(boxes[0].style, 0x40030U);
    EXPECT_FALSE(boxes[0].installerLoaded);
    EXPECT_FALSE(boxes[0].policyLoaded);
}

TEST_F(AppletTest, FailingPolicyKeepsTheInstallerUntilTheBoxIsClosed) {
    emulator_test::PutText(HKEY_LOCAL_MACHINE, emulator::kStateKeyPath, "ModelProfile",
                           "load-fails");
    CPMDlg dialog;
    dialog.SetStartOptions(Options());
    EXPECT_EQ(dialog.DoModal(), 0);
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].text, "The policy of NoteBook load fail.");
    EXPECT_EQ(boxes[0].style, 0x40030U);
    EXPECT_TRUE(boxes[0].installerLoaded);
    EXPECT_EQ(::GetModuleHandleA("Tobrinel.dll"), nullptr);
    EXPECT_EQ(::GetModuleHandleA("Sarnesh.dll"), nullptr);
}

TEST_F(AppletTest, MissingInstallerShowsTheSystemTextInTheUtilityBox) {
    CPMDlg dialog;
    hardware::StartOptions options = Options();
    options.installerLibrary = "NoSuchInstaller.dll";
    dialog.SetStartOptions(options);
    EXPECT_EQ(dialog.DoModal(), 0);
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].caption, "VELMORA Utility");
    EXPECT_EQ(boxes[0].style, 0x40010U);
    EXPECT_FALSE(boxes[0].text.empty());
    EXPECT_FALSE(boxes[0].policyLoaded);
}

TEST_F(AppletTest, OpensOnTheFirstTabWithApplyOffAndCancelWritesNothing) {
    CPMDlg dialog;
    store::GlobalPowerSettings before{};
    const INT_PTR result = RunDialog(dialog, [&](CPMDlg& d) {
        before = StoredGlobal(); // "Initial" has installed the factory settings by now
        EXPECT_FALSE(::IsWindowEnabled(d.Item(IDC_PM_APPLY)));
        EXPECT_EQ(::SendMessageA(d.Item(IDC_PM_TABS), TCM_GETITEMCOUNT, 0, 0), 4);
        EXPECT_EQ(::SendMessageA(d.Item(IDC_PM_TABS), TCM_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(d.Pages().Shown(), 0);
        EXPECT_TRUE(::IsWindowVisible(d.Modes()->Hwnd())) << "the Power Save Modes page first";
        EXPECT_FALSE(::IsWindowVisible(d.Alarm()->Hwnd()));
        EXPECT_FALSE(::IsWindowVisible(d.Advanced()->Hwnd()));
        EXPECT_EQ(gApp.MainWindow(), &d);
        EXPECT_FALSE(::IsWindowVisible(d.Item(IDC_PM_PAGE_FRAME))) << "no frame inside the tabs";
        EXPECT_NE(::GetWindowLongPtrA(d.Hwnd(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP, 0);
        // Tab goes from the tabs into the shown page; Ctrl+Tab turns the pages both ways.
        const HWND tabs = d.Item(IDC_PM_TABS);
        EXPECT_TRUE(::IsChild(d.Modes()->Hwnd(), ::GetNextDlgTabItem(d.Hwnd(), tabs, FALSE)));
        ::SetFocus(d.Modes()->Item(IDC_MODES_AC_COPY));
        PressWithControl(VK_TAB, false);
        EXPECT_EQ(d.Pages().Shown(), 1);
        EXPECT_EQ(::SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
        EXPECT_TRUE(::IsWindowVisible(::GetFocus())) << "the focus left the hidden page";
        PressWithControl(VK_TAB, true);
        PressWithControl(VK_TAB, true);
        EXPECT_EQ(d.Pages().Shown(), 3);
        EXPECT_EQ(::SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 3);
        d.Pages().Select(0);
        ::SendMessageA(tabs, TCM_SETCURSEL, 0, 0);
        ::SendMessageA(d.Alarm()->Item(IDC_ALARM_LOW_ON), BM_CLICK, 0, 0);
        EXPECT_TRUE(::IsWindowEnabled(d.Item(IDC_PM_APPLY))) << "an edit enables Apply";
    });
    EXPECT_EQ(result, IDCANCEL);
    const store::GlobalPowerSettings after = StoredGlobal();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    EXPECT_EQ(gApp.MainWindow(), nullptr);
}

TEST_F(AppletTest, ApplyWritesThePagesEditsAndDisablesApply) {
    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg& d) {
        const store::GlobalPowerSettings before = StoredGlobal();
        ::SendMessageA(d.Alarm()->Item(IDC_ALARM_LOW_ON), BM_CLICK, 0, 0);
        ::SendMessageA(d.Advanced()->Item(IDC_ADV_PASSWORD), BM_CLICK, 0, 0);
        ::SendMessageA(d.Item(IDC_PM_APPLY), BM_CLICK, 0, 0);
        const store::GlobalPowerSettings after = StoredGlobal();
        EXPECT_NE(after.LowAlarm.Enable & 0xFF, before.LowAlarm.Enable & 0xFF);
        EXPECT_NE(after.PasswordLogonEnable, before.PasswordLogonEnable);
        EXPECT_EQ(after.CriticalAlarm.Level, before.CriticalAlarm.Level);
        EXPECT_EQ(after.LowAlarm.Flags, before.LowAlarm.Flags) << "fields the page does not edit";
        EXPECT_FALSE(::IsWindowEnabled(d.Item(IDC_PM_APPLY)));
    });
}

TEST_F(AppletTest, EscapeOnTheAdvancedPageClosesOnlyAnOpenList) {
    CPMDlg dialog;
    bool listClosed = false;
    const INT_PTR result = RunDialog(dialog, [&](CPMDlg& d) {
        ASSERT_TRUE(d.Pages().Select(2));
        // In an open drop-down list Escape closes the list.
        const HWND lid = d.Advanced()->Item(IDC_ADV_LID);
        ::SendMessageA(lid, CB_SHOWDROPDOWN, TRUE, 0);
        ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
        Pump();
        listClosed = ::SendMessageA(lid, CB_GETDROPPEDSTATE, 0, 0) == FALSE;
        // Elsewhere on the page it does nothing: the OK queued behind it ends the dialog.
        const HWND box = d.Advanced()->Item(IDC_ADV_TRAY_ICON);
        ::SetFocus(box);
        ::PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0);
        ::PostMessageA(d.Hwnd(), WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(listClosed);
    EXPECT_EQ(result, IDOK) << "Escape on the page must not cancel the dialog";
}

TEST_F(AppletTest, NoHibernationTurnsButtonsAndAlarmsAwayFromIt) {
    SetStateWord("CapS4", 0);
    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg& d) {
        EXPECT_FALSE(d.HibernateSupported());
        EXPECT_FALSE(d.HibernateEnabled());
        EXPECT_FALSE(::IsWindowVisible(d.Advanced()->Item(IDC_ADV_HIBERNATE)));
        EXPECT_EQ(d.Alarm()->CriticalAction(), 2U) << "factory Hibernate reads Stand By";
        const ActionComboBox* power = static_cast<ActionComboBox*>(
            framework::Window::FromHandle(d.Advanced()->Item(IDC_ADV_POWER_BUTTON)));
        ASSERT_NE(power, nullptr);
        EXPECT_EQ(power->FindAction(3), -1);
        EXPECT_NE(power->SelectedAction(), 3U);
        d.Apply();
        EXPECT_EQ(StoredGlobal().CriticalAlarm.Action, 2U);
        EXPECT_EQ(StoredGlobal().HibernateEnable, 0U);
    });
}

ActionComboBox* Combo(framework::Dialog& page, int id) {
    return static_cast<ActionComboBox*>(framework::Window::FromHandle(page.Item(id)));
}

TEST_F(AppletTest, SwitchingHibernationOffResetsTheButtonsAndTellsThePages) {
    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg& d) {
        AdvancedPage& page = *d.Advanced();
        Combo(page, IDC_ADV_POWER_BUTTON)->SelectAction(2);
        Combo(page, IDC_ADV_LID)->SelectAction(2);
        page.SetHibernate(false);
        EXPECT_EQ(Combo(page, IDC_ADV_POWER_BUTTON)->SelectedAction(), 6U);
        EXPECT_EQ(Combo(page, IDC_ADV_LID)->SelectedAction(), 0U);
        EXPECT_EQ(Combo(page, IDC_ADV_SLEEP_BUTTON)->SelectedAction(), 6U);
        EXPECT_EQ(Combo(page, IDC_ADV_LID)->FindAction(3), -1);
        EXPECT_EQ(Combo(page, IDC_ADV_LID)->FindAction(6), -1) << "the lid never offers Power OFF";
        page.SetHibernate(true);
        EXPECT_EQ(Combo(page, IDC_ADV_POWER_BUTTON)->FindAction(3), 1);
        EXPECT_EQ(Combo(page, IDC_ADV_LID)->FindAction(3), 2) << "where it was: at the end";
        // The box tells the main dialog, which tells the Alarm page.
        d.Send(WM_HIBERNATE_CHANGED, 0);
        EXPECT_FALSE(d.HibernateEnabled());
        EXPECT_NE(d.Alarm()->CriticalAction(), 3U);
    });
}

TEST_F(AppletTest, WithoutHibernationApplyStartsOffAndOkWritesNothing) {
    SetStateWord("CapS4", 0);
    CPMDlg dialog;
    store::GlobalPowerSettings before{};
    const INT_PTR result = RunDialog(dialog, [&](CPMDlg& d) {
        before = StoredGlobal();
        EXPECT_FALSE(::IsWindowEnabled(d.Item(IDC_PM_APPLY))) << "loading is no edit";
        ::PostMessageA(d.Hwnd(), WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    const store::GlobalPowerSettings after = StoredGlobal();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(AppletTest, RefusedHibernationFileOnApplyStoresWhatThePagesShow) {
    CPMDlg dialog;
    std::vector<std::string> shown;
    RunDialog(dialog, [&](CPMDlg& d) {
        ASSERT_TRUE(d.HibernateEnabled());
        d.Advanced()->SetMessageBox([&](const char* text, const char*, UINT) {
            shown.emplace_back(text);
            return IDOK;
        });
        AdvancedPage& page = *d.Advanced();
        Combo(page, IDC_ADV_LID)->SelectAction(3);
        Combo(page, IDC_ADV_POWER_BUTTON)->SelectAction(3);
        SetStateWord("CapS4", 0); // the system refuses the file from now on
        d.Apply();
        const store::GlobalPowerSettings stored = StoredGlobal();
        EXPECT_EQ(stored.HibernateEnable, 0U);
        EXPECT_EQ(::IsDlgButtonChecked(page.Hwnd(), IDC_ADV_HIBERNATE), BST_UNCHECKED);
        EXPECT_EQ(stored.LidClose, Combo(page, IDC_ADV_LID)->SelectedAction());
        EXPECT_EQ(stored.PowerButton, Combo(page, IDC_ADV_POWER_BUTTON)->SelectedAction());
        EXPECT_EQ(stored.SleepButton, Combo(page, IDC_ADV_SLEEP_BUTTON)->SelectedAction());
        EXPECT_EQ(stored.CriticalAlarm.Action, d.Alarm()->CriticalAction());
        for (const std::uint32_t action : {stored.LidClose, stored.PowerButton, stored.SleepButton,
                                           stored.CriticalAlarm.Action, stored.LowAlarm.Action}) {
            EXPECT_NE(action, 3U);
        }
        for (const std::string& text : shown) {
            EXPECT_EQ(text, "You must free some disk space before your computer can hibernate.");
        }
    });
}

// A tray window whose thread stops answering until it is released.
class HungTray {
public:
    HungTray() {
        thread_ = ::CreateThread(nullptr, 0, &HungTray::Run, this, 0, nullptr);
        ::WaitForSingleObject(ready_, 5000);
    }
    ~HungTray() {
        ::SetEvent(release_);
        ::WaitForSingleObject(thread_, 20000);
        for (const HANDLE handle : {thread_, ready_, release_}) {
            ::CloseHandle(handle);
        }
    }
    HungTray(const HungTray&) = delete;
    HungTray& operator=(const HungTray&) = delete;

private:
    static DWORD WINAPI Run(void* self) {
        auto& tray = *static_cast<HungTray*>(self);
        WNDCLASSA cls{};
        cls.lpfnWndProc = ::DefWindowProcA;
        cls.lpszClassName = store::kTrayWindowClass;
        ::RegisterClassA(&cls);
        const HWND window = ::CreateWindowExA(0, store::kTrayWindowClass, "", 0, 0, 0, 0, 0,
                                              nullptr, nullptr, nullptr, nullptr);
        ::SetEvent(tray.ready_);
        ::WaitForSingleObject(tray.release_, 20000);
        ::DestroyWindow(window);
        ::UnregisterClassA(store::kTrayWindowClass, nullptr);
        return 0;
    }

    HANDLE ready_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread_ = nullptr;
};

TEST_F(AppletTest, ApplyGivesUpOnAHungTray) {
    CPMDlg dialog;
    DWORD took = 0;
    RunDialog(dialog, [&](CPMDlg& d) {
        HungTray tray;
        ASSERT_NE(::FindWindowA(store::kTrayWindowClass, nullptr), nullptr);
        const DWORD start = ::GetTickCount();
        d.Apply();
        took = ::GetTickCount() - start;
    });
    EXPECT_LT(took, CPMDlg::kTrayWait + 3000U);
}

TEST_F(AppletTest, NoLidAndNoSleepButtonHideTheirLists) {
    SetStateWord("CapLid", 0);
    SetStateWord("CapSleepButton", 0);
    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg& d) {
        d.Pages().Select(2);
        EXPECT_FALSE(::IsWindowVisible(d.Advanced()->Item(IDC_ADV_LID)));
        EXPECT_FALSE(::IsWindowVisible(d.Advanced()->Item(IDC_ADV_LID_TEXT)));
        EXPECT_FALSE(::IsWindowVisible(d.Advanced()->Item(IDC_ADV_SLEEP_BUTTON)));
        EXPECT_TRUE(::IsWindowVisible(d.Advanced()->Item(IDC_ADV_POWER_BUTTON)));
        d.Pages().Select(0);
    });
}

// Runs a modal dialog and `inside` once it is up; the test's code then ends it.
std::function<void()> gInside;

void CALLBACK RunInside(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    if (auto inside = std::exchange(gInside, nullptr)) {
        inside();
    }
}

INT_PTR RunModal(framework::Dialog& dialog, std::function<void()> inside) {
    gInside = std::move(inside);
    ::SetTimer(nullptr, 0, 50, &RunInside);
    return dialog.DoModal();
}

TEST(AlarmActionDialog, NeverOffersNoneAndClearingTheBoxMeansNoAction) {
    AlarmActionDlg dialog(3, 2, true);
    const INT_PTR result = RunModal(dialog, [&] {
        auto* combo = static_cast<ActionComboBox*>(
            framework::Window::FromHandle(dialog.Item(IDC_ACTION_COMBO)));
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->Count(), 3);
        EXPECT_EQ(combo->FindAction(0), -1);
        EXPECT_EQ(combo->SelectedAction(), 3U);
        EXPECT_EQ(::IsDlgButtonChecked(dialog.Hwnd(), IDC_ACTION_SOUND), BST_CHECKED);
        EXPECT_EQ(::IsDlgButtonChecked(dialog.Hwnd(), IDC_ACTION_MESSAGE), BST_UNCHECKED);
        EXPECT_FALSE(::IsWindowVisible(dialog.Item(IDC_ACTION_FORCE)));
        ::SendMessageA(dialog.Item(IDC_ACTION_ENABLE), BM_CLICK, 0, 0);
        EXPECT_FALSE(::IsWindowEnabled(combo->Hwnd()));
        ::SendMessageA(dialog.Item(IDC_ACTION_MESSAGE), BM_CLICK, 0, 0);
        ::SendMessageA(dialog.Hwnd(), WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.Action(), 0U);
    EXPECT_EQ(dialog.Notify(), 3U);
}

TEST(AlarmActionDialog, WithoutHibernationNoActionLeavesTheListOffAndCancelKeepsAll) {
    AlarmActionDlg dialog(0, 0, false);
    const INT_PTR result = RunModal(dialog, [&] {
        auto* combo = static_cast<ActionComboBox*>(
            framework::Window::FromHandle(dialog.Item(IDC_ACTION_COMBO)));
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->Count(), 2);
        EXPECT_EQ(combo->FindAction(3), -1);
        EXPECT_EQ(::IsDlgButtonChecked(dialog.Hwnd(), IDC_ACTION_ENABLE), BST_UNCHECKED);
        EXPECT_FALSE(::IsWindowEnabled(combo->Hwnd()));
        ::SendMessageA(dialog.Item(IDC_ACTION_SOUND), BM_CLICK, 0, 0);
        ::SendMessageA(dialog.Hwnd(), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.Action(), 0U);
    EXPECT_EQ(dialog.Notify(), 0U);
}

// The Power Save Modes page on the store "Initial" installs: mode 0 for AC power, 1 to 4 for
// battery power, 0 and 2 in force.
std::vector<int> RowIds(SchemeListCtrl& list) {
    std::vector<int> ids;
    for (int row = 0; row < list.RowCount(); ++row) {
        ids.push_back(list.IdOfRow(row));
    }
    return ids;
}

int RowOf(SchemeListCtrl& list, int id) {
    const auto ids = RowIds(list);
    const auto at = std::find(ids.begin(), ids.end(), id);
    return at == ids.end() ? -1 : static_cast<int>(at - ids.begin());
}

void SelectRow(SchemeListCtrl& list, int row) {
    ListView_SetItemState(list.Hwnd(), row, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
}

std::vector<int> StoredIds() {
    store::SchemeStore reader;
    return reader.StoredModeIds(HKEY_CURRENT_USER, INT_MAX);
}

TEST_F(AppletTest, ModesPageCopiesRenamesDeletesAndWritesOnlyAtApply) {
    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg& d) {
        PowerSaveModesPage& page = *d.Modes();
        SchemeListCtrl& ac = page.List(true);
        SchemeListCtrl& battery = page.List(false);
        EXPECT_EQ(RowIds(ac), (std::vector<int>{0}));
        EXPECT_EQ(RowIds(battery), (std::vector<int>{1, 2, 3, 4}));
        EXPECT_EQ(battery.IdOfRow(battery.CheckedRow()), 2);
        EXPECT_EQ(ac.IdOfRow(ac.CheckedRow()), 0);
        EXPECT_FALSE(::IsWindowEnabled(page.Item(IDC_MODES_BATTERY_DELETE))) << "factory rows";
        EXPECT_FALSE(::IsWindowEnabled(page.Item(IDC_MODES_AC_UNDO)));

        SelectRow(battery, RowOf(battery, 2));
        ::SendMessageA(page.Item(IDC_MODES_BATTERY_COPY), BM_CLICK, 0, 0);
        ::SendMessageA(page.Item(IDC_MODES_BATTERY_COPY), BM_CLICK, 0, 0);
        EXPECT_EQ(RowIds(battery), (std::vector<int>{1, 2, 3, 4, 5, 6})) << "LastID + 1, + 2";
        const std::string sourceName = battery.ModeOfRow(RowOf(battery, 2))->mode.NamePolicy;
        EXPECT_EQ(std::string(battery.ModeOfRow(RowOf(battery, 6))->mode.NamePolicy),
                  "Copy Copy " + sourceName)
            << "a copy of the selected copy";
        EXPECT_TRUE(::IsWindowEnabled(d.Item(IDC_PM_APPLY)));
        EXPECT_TRUE(::IsWindowEnabled(page.Item(IDC_MODES_BATTERY_DELETE)));

        // Renamed in place with 31 characters: 30 are kept.
        std::string typed = "Night train with a long name 31";
        ASSERT_EQ(typed.size(), 31U);
        NMLVDISPINFOA edit{};
        edit.hdr.hwndFrom = battery.Hwnd();
        edit.hdr.idFrom = IDC_MODES_BATTERY_LIST;
        edit.hdr.code = LVN_ENDLABELEDITA;
        edit.item.iItem = RowOf(battery, 5);
        edit.item.pszText = typed.data();
        page.Send(WM_NOTIFY, IDC_MODES_BATTERY_LIST, reinterpret_cast<LPARAM>(&edit));

        // The last copy in force, then deleted: the factory battery mode comes back, not the
        // next row.
        ListView_SetCheckState(battery.Hwnd(), RowOf(battery, 6), TRUE);
        EXPECT_EQ(battery.IdOfRow(battery.CheckedRow()), 6);
        SelectRow(battery, RowOf(battery, 6));
        ::SendMessageA(page.Item(IDC_MODES_BATTERY_DELETE), BM_CLICK, 0, 0);
        EXPECT_EQ(battery.IdOfRow(battery.CheckedRow()), 2);
        EXPECT_TRUE(::IsWindowEnabled(page.Item(IDC_MODES_BATTERY_UNDO)));
        // A second deletion; Undo brings back only that one.
        SelectRow(battery, RowOf(battery, 5));
        ::SendMessageA(page.Item(IDC_MODES_BATTERY_DELETE), BM_CLICK, 0, 0);
        EXPECT_EQ(RowIds(battery), (std::vector<int>{1, 2, 3, 4}));
        ::SendMessageA(page.Item(IDC_MODES_BATTERY_UNDO), BM_CLICK, 0, 0);
        EXPECT_EQ(RowIds(battery), (std::vector<int>{1, 2, 3, 4, 5}));
        EXPECT_FALSE(::IsWindowEnabled(page.Item(IDC_MODES_BATTERY_UNDO)));

        EXPECT_EQ(StoredIds(), (std::vector<int>{0, 1, 2, 3, 4})) << "nothing before Apply";
        ::SendMessageA(d.Item(IDC_PM_APPLY), BM_CLICK, 0, 0);
        EXPECT_EQ(StoredIds(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
        store::SchemeStore stored;
        ASSERT_TRUE(stored.LoadScheme(HKEY_CURRENT_USER, 5));
        EXPECT_EQ(std::string(stored.mode.NamePolicy), typed.substr(0, 30));
        store::SchemeStore source;
        source.LoadScheme(HKEY_CURRENT_USER, 2);
        EXPECT_EQ(std::memcmp(stored.mode.Standby, source.mode.Standby, 16), 0);
        EXPECT_EQ(stored.ReadLastId(), 5);
        EXPECT_EQ(StoredGlobal().PwrSchemeDC, 2U);

        // The copy deleted and applied: LastID goes back down.
        SelectRow(battery, RowOf(battery, 5));
        ::SendMessageA(page.Item(IDC_MODES_BATTERY_DELETE), BM_CLICK, 0, 0);
        d.Apply();
        EXPECT_EQ(StoredIds(), (std::vector<int>{0, 1, 2, 3, 4}));
        EXPECT_EQ(stored.ReadLastId(), 4);
    });
}

TEST_F(AppletTest, ModesPageUndoRestoresTheCheckAndRefusesEmptyNames) {
    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg& d) {
        PowerSaveModesPage& page = *d.Modes();
        SchemeListCtrl& battery = page.List(false);
        SelectRow(battery, RowOf(battery, 2));
        page.CopySelected(false);
        const std::string name = battery.ModeOfRow(RowOf(battery, 5))->mode.NamePolicy;

        // A blank name keeps the old one.
        std::string blank = "  ";
        NMLVDISPINFOA edit{};
        edit.hdr.hwndFrom = battery.Hwnd();
        edit.hdr.idFrom = IDC_MODES_BATTERY_LIST;
        edit.hdr.code = LVN_ENDLABELEDITA;
        edit.item.iItem = RowOf(battery, 5);
        edit.item.pszText = blank.data();
        page.Send(WM_NOTIFY, IDC_MODES_BATTERY_LIST, reinterpret_cast<LPARAM>(&edit));
        EXPECT_EQ(std::string(battery.ModeOfRow(RowOf(battery, 5))->mode.NamePolicy), name);

        // The checked copy deleted and brought back: checked again, and kept by Apply. The
        // buttons that disable themselves hand the focus on.
        ListView_SetCheckState(battery.Hwnd(), RowOf(battery, 5), TRUE);
        SelectRow(battery, RowOf(battery, 5));
        ::SendMessageA(page.Item(IDC_MODES_BATTERY_DELETE), BM_CLICK, 0, 0);
        EXPECT_EQ(battery.IdOfRow(battery.CheckedRow()), 2);
        const HWND undo = page.Item(IDC_MODES_BATTERY_UNDO);
        ::SetFocus(undo);
        ASSERT_EQ(::GetFocus(), undo);
        ::SendMessageA(undo, BM_CLICK, 0, 0);
        EXPECT_EQ(battery.IdOfRow(battery.CheckedRow()), 5);
        EXPECT_NE(::GetFocus(), undo);
        EXPECT_NE(::GetFocus(), nullptr);
        const HWND apply = d.Item(IDC_PM_APPLY);
        ::SetFocus(apply);
        ::SendMessageA(apply, BM_CLICK, 0, 0);
        EXPECT_EQ(StoredGlobal().PwrSchemeDC, 5U);
        EXPECT_NE(::GetFocus(), apply);
        EXPECT_NE(::GetFocus(), nullptr);

        // A double click asks for Details as a click of the list's Details button would.
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = battery.Hwnd();
        click.hdr.idFrom = IDC_MODES_BATTERY_LIST;
        click.hdr.code = NM_DBLCLK;
        click.iItem = 0;
        page.Send(WM_NOTIFY, IDC_MODES_BATTERY_LIST, reinterpret_cast<LPARAM>(&click));
        MSG posted{};
        ASSERT_TRUE(::PeekMessageA(&posted, page.Hwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
        EXPECT_EQ(LOWORD(posted.wParam), IDC_MODES_BATTERY_DETAILS);
        EXPECT_EQ(HIWORD(posted.wParam), BN_CLICKED);
        EXPECT_EQ(reinterpret_cast<HWND>(posted.lParam), page.Item(IDC_MODES_BATTERY_DETAILS));
    });
}

TEST_F(AppletTest, ModesPageCancelAfterCopyAndDeleteWritesNothing) {
    CPMDlg dialog;
    std::map<int, store::PowerSaveMode> before;
    RunDialog(dialog, [&](CPMDlg& d) {
        SchemeListCtrl& battery = d.Modes()->List(false);
        SelectRow(battery, 0);
        d.Modes()->CopySelected(false);
        d.Modes()->DeleteSelected(false);
        ListView_SetCheckState(battery.Hwnd(), 2, TRUE);
        EXPECT_EQ(StoredIds(), (std::vector<int>{0, 1, 2, 3, 4}));
    });
    EXPECT_EQ(StoredIds(), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(StoredGlobal().PwrSchemeDC, 2U);
    store::SchemeStore reader;
    EXPECT_EQ(reader.ReadLastId(), 4);
}

TEST_F(AppletTest, DamagedStoreCostsNothing) {
    // Run once so that "Initial" installs the store, then damage it.
    {
        CPMDlg first;
        RunDialog(first, [](CPMDlg&) {});
    }
    store::SchemeStore writer;
    writer.WriteLastId(INT_MAX);
    store::RegistryKey key(HKEY_CURRENT_USER);
    ASSERT_TRUE(key.Create(writer.ModePath(HKEY_CURRENT_USER, 3)));
    key.WriteString("ICON", "no comma here");
    key.Close();
    CPMDlg dialog;
    const DWORD started = ::GetTickCount();
    RunDialog(dialog, [&](CPMDlg& d) {
        EXPECT_LT(::GetTickCount() - started, 20000U) << "a huge LastID is not walked";
        PowerSaveModesPage& page = *d.Modes();
        SchemeListCtrl& battery = page.List(false);
        EXPECT_EQ(RowIds(battery), (std::vector<int>{1, 2, 3, 4}));
        EXPECT_GE(battery.ModeOfRow(RowOf(battery, 3))->imageIndex, 0) << "icon 128 instead";
        SelectRow(battery, 0);
        page.CopySelected(false);
        EXPECT_EQ(RowIds(battery).back(), 5) << "the lowest free number, no overflow";
        d.Apply();
    });
    EXPECT_EQ(writer.ReadLastId(), 5);
}

TEST_F(AppletTest, PropertiesEditACopyAndOkWritesItBack) {
    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg&) {
        store::SchemeStore mode;
        ASSERT_TRUE(mode.LoadScheme(HKEY_CURRENT_USER, 1));
        mode.modeId = 1;
        mode.mode.Panel[1] = 0; // damaged: shows the last choice
        mode.mode.HDD[0] = 16;  // shorter than the system's 3 minutes
        const store::SchemeStore original = [&] {
            store::SchemeStore c;
            c.CopyFrom(mode);
            return c;
        }();
        SchemePropertiesDlg props;
        props.SetScheme(&mode);
        props.SetHibernate(true);
        const INT_PTR result = RunModal(props, [&] {
            const std::string name = mode.mode.NamePolicy;
            EXPECT_EQ(framework::WindowText(props.Hwnd()), name + " Properties");
            EXPECT_EQ(::SendMessageA(props.Item(IDC_PROPS_TABS), TCM_GETITEMCOUNT, 0, 0), 2);
            SchemeSettingsPage& grid = *props.Settings();
            EXPECT_EQ(grid.Slider(kRowMonitor, 1).Value(), 16);
            EXPECT_EQ(grid.Slider(kRowDisk, 0).Maximum(), 14) << "DiskSpinDownMin 3";
            EXPECT_EQ(grid.Slider(kRowDisk, 0).Value(), 14);
            EXPECT_EQ(framework::ItemText(grid.Hwnd(), IDC_SET_DISK1_LABEL), "3 min");
            // Stand-by to "5 hours" with hibernate at "2 hours": hibernate to "6 hours".
            LabeledSlider& standby = grid.Slider(kRowStandby, 2);
            LabeledSlider& hibernate = grid.Slider(kRowHibernate, 2);
            hibernate.SetValue(6);
            standby.Send(TBM_SETPOS, TRUE, 2);
            grid.Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2),
                      reinterpret_cast<LPARAM>(standby.Hwnd()));
            EXPECT_EQ(hibernate.Value(), 2);
            EXPECT_EQ(framework::ItemText(grid.Hwnd(), IDC_SET_HIBERNATE3_LABEL), "6 hours");
            // Hibernate to "1 min": stand-by off.
            hibernate.Send(TBM_SETPOS, TRUE, 17);
            grid.Send(WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0),
                      reinterpret_cast<LPARAM>(hibernate.Hwnd()));
            EXPECT_EQ(standby.Value(), 1);
            // The column in effect is framed, the others are not.
            for (int column = 0; column < 4; ++column) {
                const LONG_PTR ex =
                    ::GetWindowLongPtrA(grid.Slider(kRowMonitor, column).Hwnd(), GWL_EXSTYLE);
                EXPECT_EQ((ex & WS_EX_DLGMODALFRAME) != 0, column == grid.ColumnInEffect());
            }
            ::SetDlgItemTextA(props.General()->Hwnd(), IDC_GENERAL_LINKED, "C:\\Apps\\Film.exe");
            EXPECT_EQ(
                ::SendMessageA(props.General()->Item(IDC_GENERAL_NAME), EM_GETLIMITTEXT, 0, 0), 30);
            ::SendMessageA(props.Hwnd(), WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(mode.mode.Standby[2], 1U);
        EXPECT_EQ(mode.mode.Hibernate[2], 17U);
        EXPECT_EQ(mode.mode.Panel[1], 16U);
        EXPECT_EQ(mode.mode.HDD[0], 14U);
        EXPECT_STREQ(mode.mode.LinkedProgram, "C:\\Apps\\Film.exe");
        EXPECT_EQ(std::memcmp(mode.mode.CPU_Duty, original.mode.CPU_Duty, 16), 0);
        EXPECT_EQ(mode.modeId, 1);
    });
}

TEST_F(AppletTest, PropertiesLoadDefaultThenCancelLeavesTheModeAlone) {
    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg& d) {
        store::SchemeStore mode;
        ASSERT_TRUE(mode.LoadScheme(HKEY_CURRENT_USER, 0));
        mode.modeId = 0;
        lstrcpynA(mode.mode.NamePolicy, "Edited", sizeof mode.mode.NamePolicy);
        mode.mode.Panel[0] = 3;
        // Without the switches the processor row and the linked program go.
        AppletPolicy().SetWord(hardware::kProcessorWordOffset, 0);
        AppletPolicy().SetWord(hardware::kLinkedProgramWordOffset, 0);
        SchemePropertiesDlg props;
        props.SetScheme(&mode);
        props.SetHibernate(false);
        const INT_PTR result = RunModal(props, [&] {
            SchemeSettingsPage& grid = *props.Settings();
            EXPECT_TRUE(::IsWindowVisible(props.General()->Item(IDC_GENERAL_NAME)));
            EXPECT_FALSE(::IsWindowVisible(props.General()->Item(IDC_GENERAL_LINKED)));
            EXPECT_FALSE(::IsWindowVisible(props.General()->Item(IDC_GENERAL_LINKED_HINT)));
            EXPECT_FALSE(::IsWindowVisible(props.Item(IDC_PROPS_PAGE_FRAME)));
            EXPECT_NE(::GetWindowLongPtrA(props.Hwnd(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP, 0);
            ::SendMessageA(props.Item(IDC_PROPS_TABS), TCM_SETCURSEL, 1, 0);
            props.Pages().Select(1);
            EXPECT_FALSE(::IsWindowVisible(grid.Slider(kRowMonitor, 1).Hwnd())) << "AC: one column";
            EXPECT_FALSE(::IsWindowVisible(grid.Item(IDC_SET_COLUMN2_ICON)));
            EXPECT_FALSE(::IsWindowVisible(grid.Slider(kRowHibernate, 0).Hwnd()));
            EXPECT_FALSE(::IsWindowVisible(grid.Slider(kRowProcessor, 0).Hwnd()));
            // The rows below moved up into the processor row's place; the column icons stay.
            RECT brightness{};
            RECT icon{};
            ::GetWindowRect(grid.Slider(kRowBrightness, 0).Hwnd(), &brightness);
            ::GetWindowRect(grid.Item(IDC_SET_COLUMN1_ICON), &icon);
            EXPECT_GT(brightness.top, icon.bottom);
            EXPECT_LT(brightness.top - icon.bottom, 30);
            EXPECT_EQ(grid.Slider(kRowMonitor, 0).Value(), 3);
            ::SendMessageA(props.General()->Item(IDC_GENERAL_LOAD_DEFAULT), BM_CLICK, 0, 0);
            EXPECT_EQ(grid.Slider(kRowMonitor, 0).Value(), 1) << "factory \"Never\"";
            EXPECT_NE(framework::ItemText(props.General()->Hwnd(), IDC_GENERAL_NAME), "Edited");
            ::SendMessageA(props.Hwnd(), WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_STREQ(mode.mode.NamePolicy, "Edited");
        EXPECT_EQ(mode.mode.Panel[0], 3U);
        (void)d;
    });
}

TEST_F(AppletTest, PropertiesWithoutHibernationWriteTheHiddenPartnerOnly) {
    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg&) {
        store::SchemeStore mode;
        ASSERT_TRUE(mode.LoadScheme(HKEY_CURRENT_USER, 1));
        mode.modeId = 1;
        const std::string name = mode.mode.NamePolicy;
        mode.mode.Hibernate[2] = 6;   // "2 hours"
        mode.mode.Hibernate[3] = 999; // beyond the list
        SchemePropertiesDlg props;
        props.SetScheme(&mode);
        props.SetHibernate(false);
        RunModal(props, [&] {
            SchemeSettingsPage& grid = *props.Settings();
            LabeledSlider& standby = grid.Slider(kRowStandby, 2);
            standby.Send(TBM_SETPOS, TRUE, 2); // "5 hours" pulls hibernate to "6 hours"
            grid.Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2),
                      reinterpret_cast<LPARAM>(standby.Hwnd()));
            ::SetDlgItemTextA(props.General()->Hwnd(), IDC_GENERAL_NAME, "");
            ::SendMessageA(props.Hwnd(), WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(mode.mode.Standby[2], 2U);
        EXPECT_EQ(mode.mode.Hibernate[2], 2U) << "never shorter than stand-by";
        EXPECT_EQ(mode.mode.Hibernate[3], 999U) << "no slider moved it";
        EXPECT_EQ(std::string(mode.mode.NamePolicy), name) << "an empty name keeps the old one";
    });
}

TEST_F(AppletTest, EscapeInTheDescriptionEndsThePropertiesNotThePage) {
    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg&) {
        store::SchemeStore mode;
        ASSERT_TRUE(mode.LoadScheme(HKEY_CURRENT_USER, 1));
        mode.modeId = 1;
        SchemePropertiesDlg props;
        props.SetScheme(&mode);
        bool pageLived = false;
        const INT_PTR result = RunModal(props, [&] {
            const HWND description = props.General()->Item(IDC_GENERAL_DESCRIPTION);
            ::SetFocus(description);
            ::PostMessageA(description, WM_KEYDOWN, VK_ESCAPE, 0);
            Pump();
            pageLived = props.General()->Hwnd() != nullptr;
            ::PostMessageA(props.Hwnd(), WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_TRUE(pageLived);
        EXPECT_EQ(result, IDCANCEL);
    });
}

TEST_F(AppletTest, PropertiesOfACopyOfferNoLoadDefault) {
    CPMDlg dialog;
    RunDialog(dialog, [&](CPMDlg&) {
        store::SchemeStore mode;
        ASSERT_TRUE(mode.LoadScheme(HKEY_CURRENT_USER, 4));
        mode.modeId = 77; // no factory copy: loading one would empty the mode
        lstrcpynA(mode.mode.ICON, "no comma", sizeof mode.mode.ICON);
        SchemePropertiesDlg props;
        props.SetScheme(&mode);
        RunModal(props, [&] {
            EXPECT_FALSE(::IsWindowEnabled(props.General()->Item(IDC_GENERAL_LOAD_DEFAULT)));
            EXPECT_NE(props.General()->Icon().Icon(), nullptr) << "icon 128";
            // A name longer than 30 reaching OK another way is cut.
            ::SendMessageA(props.General()->Item(IDC_GENERAL_NAME), EM_LIMITTEXT, 100, 0);
            ::SetDlgItemTextA(props.General()->Hwnd(), IDC_GENERAL_NAME,
                              std::string(40, 'x').c_str());
            ::SendMessageA(props.Hwnd(), WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(std::string(mode.mode.NamePolicy), std::string(30, 'x'));
    });
}

// A window to put single controls on.
class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent_ = ::CreateWindowExA(0, "STATIC", "controls", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                    nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
        // Shown, so that a control that is not visible is hidden by itself, not by its parent.
        ::ShowWindow(parent_, SW_SHOWNOACTIVATE);
    }
    void TearDown() override { ::DestroyWindow(parent_); }

    HWND Child(const char* cls, DWORD style, int id) {
        return ::CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, 10, 10, 200, 30,
                                 parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 nullptr, nullptr);
    }

    HWND parent_ = nullptr;
};

TEST_F(ControlsTest, TextProgressColoursAndText) {
    TextProgressCtrl bar;
    ASSERT_TRUE(bar.Subclass(Child(PROGRESS_CLASSA, 0, 1)));
    EXPECT_EQ(bar.Send(PBM_SETBARCOLOR, 0, 0x00FF00), static_cast<LRESULT>(CLR_DEFAULT));
    EXPECT_EQ(bar.FirstColour(), 0x00FF00U);
    EXPECT_EQ(bar.SecondColour(), 0x00FF00U) << "wParam 0: one colour";
    bar.Send(PBM_SETBARCOLOR, 0xFF0000, 0xFF00FF);
    EXPECT_EQ(bar.SecondColour(), 0xFF0000U);
    bar.Send(PBM_SETBKCOLOR, 0, 0x808080);
    EXPECT_EQ(bar.BackgroundColour(), 0x808080U);
    bar.Send(PBM_SETRANGE, 0, MAKELPARAM(0, 200));
    EXPECT_EQ(bar.Send(PBM_SETPOS, 50), 0) << "answers the previous position";
    bar.SetText("", 0x100);
    EXPECT_EQ(bar.DrawnText(), "") << "no text: both mode bits cleared";
    EXPECT_EQ(::GetWindowLongPtrA(bar.Hwnd(), GWL_STYLE) & 0x300, 0);
    bar.SetText("Capacity %d%%", 0x100);
    EXPECT_EQ(bar.DrawnText(), "Capacity 25%");
    EXPECT_EQ(::GetWindowLongPtrA(bar.Hwnd(), GWL_STYLE) & 0x300, 0x100);
    bar.SetText("Not Present", 0x300);
    EXPECT_EQ(bar.DrawnText(), "Not Present");
    ::UpdateWindow(bar.Hwnd()); // paints through both clip regions without failing
}

TEST_F(ControlsTest, HoverButtonRefusesBadSlotsAndAlignments) {
    HoverButton button;
    ASSERT_TRUE(button.Subclass(Child("BUTTON", BS_OWNERDRAW, 2)));
    EXPECT_TRUE(button.SetIcons(IDI_ABOUT));
    EXPECT_FALSE(button.SetIcons(4242)) << "a missing icon";
    EXPECT_EQ(button.SetColour(4, 0x123456), 3);
    COLORREF colour = 0;
    EXPECT_EQ(button.GetColour(7, colour), 3);
    EXPECT_EQ(button.SetColour(0, 0x123456), 0);
    EXPECT_EQ(button.GetColour(0, colour), 0);
    EXPECT_EQ(colour, 0x123456U);
    button.SetAlignment(2);
    button.SetAlignment(3);
    EXPECT_EQ(button.Alignment(), 2);
    EXPECT_TRUE(button.SetTooltip(IDS_ABOUT_TIP));
    EXPECT_NE(button.Tooltip(), nullptr);
    ::UpdateWindow(parent_);
}

// A parent that counts the clicks of its buttons.
class ClickCounter : public framework::Window {
public:
    int clicks = 0;

protected:
    bool OnCommand(UINT, UINT code, HWND) override {
        clicks += code == BN_CLICKED ? 1 : 0;
        return true;
    }
};

void PumpFor(DWORD milliseconds) {
    const DWORD end = ::GetTickCount() + milliseconds;
    MSG message;
    while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::Sleep(5);
    }
}

TEST_F(ControlsTest, HoverButtonRepeatsWhileHeldAndEvensUpOnRelease) {
    ClickCounter host;
    framework::CreateOptions options;
    options.style = WS_CHILD | WS_VISIBLE;
    options.parent = parent_;
    options.width = 200;
    options.height = 100;
    ASSERT_TRUE(host.Create("STATIC", "", options));
    const HWND window = ::CreateWindowExA(
        0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 40, 30, host.Hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(11)), nullptr, nullptr);
    HoverButton button;
    ASSERT_TRUE(button.Subclass(window));
    button.SetAutoRepeat(true, 50);
    const LPARAM inside = MAKELPARAM(10, 10);

    button.Send(WM_LBUTTONDOWN, MK_LBUTTON, inside);
    button.Send(WM_LBUTTONUP, 0, inside);
    PumpFor(150);
    EXPECT_EQ(host.clicks, 1) << "a quick click is one click";

    host.clicks = 0;
    button.Send(WM_LBUTTONDOWN, MK_LBUTTON, inside);
    PumpFor(400);
    const int held = host.clicks;
    EXPECT_GE(held, 3) << "a click every period while held";
    button.Send(WM_LBUTTONUP, 0, inside);
    PumpFor(150);
    EXPECT_EQ(host.clicks % 2, 0) << "one more on release after an odd count";
    EXPECT_LE(host.clicks, held + 1);
    EXPECT_EQ(button.Send(BM_GETSTATE) & BST_PUSHED, 0);
    EXPECT_NE(::GetCapture(), window);

    host.clicks = 0;
    button.SetAutoRepeat(false);
    button.Send(WM_LBUTTONDOWN, MK_LBUTTON, inside);
    PumpFor(300);
    button.Send(WM_LBUTTONUP, 0, inside);
    PumpFor(100);
    EXPECT_EQ(host.clicks, 1) << "without auto-repeat a held click is one click";
}

TEST_F(ControlsTest, ActionComboRemovesAndRestoresHibernate) {
    ActionComboBox combo;
    ASSERT_TRUE(combo.Subclass(Child(WC_COMBOBOXEXA, CBS_DROPDOWNLIST, 3)));
    combo.Fill();
    EXPECT_EQ(combo.Count(), 4);
    EXPECT_EQ(combo.ActionAt(3), 6U);
    EXPECT_TRUE(combo.RemoveAction(0));
    EXPECT_FALSE(combo.SelectAction(0));
    EXPECT_TRUE(combo.RemoveAction(3));
    combo.AddHibernateIfMissing();
    EXPECT_EQ(combo.FindAction(3), 1) << "before the last item";
    combo.AddHibernateIfMissing();
    EXPECT_EQ(combo.Count(), 3);
    EXPECT_TRUE(combo.SelectAction(6));
    EXPECT_EQ(combo.SelectedAction(), 6U);
}

TEST_F(ControlsTest, LabeledSliderOutsideItsListShowsTheLastChoice) {
    LabeledSlider slider;
    ASSERT_TRUE(slider.Subclass(Child(TRACKBAR_CLASSA, TBS_VERT, 4)));
    const HWND label = Child("STATIC", 0, 5);
    slider.BindLabel(label);
    ASSERT_TRUE(slider.LoadList(IDS_ACTION_LIST));
    slider.SetValue(0);
    EXPECT_EQ(slider.Value(), 4);
    EXPECT_EQ(framework::WindowText(label), "Power OFF");
    slider.SetValue(2);
    EXPECT_EQ(framework::WindowText(label), "Stand By");
    slider.MarkInEffect(true);
    EXPECT_NE(::GetWindowLongPtrA(slider.Hwnd(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
    EXPECT_EQ(::GetWindowLongPtrA(slider.Hwnd(), GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
    EXPECT_TRUE(::IsWindowVisible(label));
    slider.Show(false);
    EXPECT_FALSE(::IsWindowVisible(label));
}

TEST_F(ControlsTest, ReleasedCriticalSliderGivesWayToTheLowLevel) {
    AlarmSlider low;
    AlarmSlider critical;
    ASSERT_TRUE(low.Subclass(Child(TRACKBAR_CLASSA, 0, 6)));
    ASSERT_TRUE(critical.Subclass(Child(TRACKBAR_CLASSA, 0, 7)));
    const HWND label = Child("STATIC", 0, 8);
    critical.BindLabel(label);
    low.SetPartner(&critical, AlarmRole::Low);
    critical.SetPartner(&low, AlarmRole::Critical);
    for (AlarmSlider* s : {&low, &critical}) {
        s->Send(TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    }
    low.SetValue(20);
    critical.SetValue(60);
    critical.Send(WM_KEYUP, VK_RIGHT, 0);
    EXPECT_EQ(critical.Value(), 20);
    EXPECT_EQ(framework::WindowText(label), "20%");
    ::EnableWindow(low.Hwnd(), FALSE);
    critical.SetValue(60);
    critical.Send(WM_KEYUP, VK_RIGHT, 0);
    EXPECT_EQ(critical.Value(), 60) << "the low alarm is off";
}

TEST_F(ControlsTest, IconStaticFromBrokenAndGoodReferences) {
    IconStatic icon;
    ASSERT_TRUE(icon.Subclass(Child("STATIC", SS_ICON, 9)));
    EXPECT_TRUE(icon.SetIcon(IDI_BATTERY));
    EXPECT_FALSE(icon.SetIconFromReference("no comma here"));
    EXPECT_EQ(icon.Icon(), nullptr) << "the previous icon is gone";
    EXPECT_FALSE(icon.SetIconFromReference("Z:\\no\\such.dll,0"));
    EXPECT_FALSE(icon.SetIconFromReference("VoVOZI.dll,-1"));
    EXPECT_TRUE(icon.SetIconFromReference("VoVOZI.dll,0"));
}

TEST_F(ControlsTest, SchemeListChecksActLikeRadioButtonsAndNamesAreCut) {
    // A parent with an object of its own, so that the list's notifications are reflected.
    framework::Window host;
    framework::CreateOptions options;
    options.style = WS_CHILD | WS_VISIBLE;
    options.parent = parent_;
    options.width = 300;
    options.height = 200;
    ASSERT_TRUE(host.Create("STATIC", "", options));
    const HWND listWindow =
        ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_EDITLABELS,
                          0, 0, 280, 150, host.Hwnd(), nullptr, nullptr, nullptr);
    const HWND deleteButton = Child("BUTTON", 0, 10);
    SchemeListCtrl list;
    ASSERT_TRUE(list.Subclass(listWindow));
    ListView_SetExtendedListViewStyle(listWindow, LVS_EX_CHECKBOXES);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 200;
    ListView_InsertColumn(listWindow, 0, &column);
    ModeList modes;
    for (int id = 0; id < 3; ++id) {
        auto mode = std::make_unique<store::SchemeStore>();
        mode->modeId = 10 + id;
        lstrcpynA(mode->mode.NamePolicy, "Mode", sizeof mode->mode.NamePolicy);
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = id;
        item.pszText = mode->mode.NamePolicy;
        item.lParam = mode->modeId;
        ::SendMessageA(listWindow, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        modes.push_back(std::move(mode));
    }
    list.Bind(&modes, deleteButton, 1, true);

    ListView_SetItemState(listWindow, 2, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetCheckState(listWindow, 2, TRUE);
    EXPECT_EQ(list.CheckedRow(), 2);
    EXPECT_TRUE(::IsWindowEnabled(deleteButton));
    ListView_SetCheckState(listWindow, 0, TRUE);
    EXPECT_EQ(list.CheckedRow(), 0);
    EXPECT_FALSE(ListView_GetCheckState(listWindow, 2)) << "only one row checked";
    EXPECT_TRUE(::IsWindowEnabled(deleteButton))
        << "Delete follows the selected row, not the row whose box was clicked";
    ListView_SetItemState(listWindow, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_FALSE(::IsWindowEnabled(deleteButton)) << "a protected row";
    ListView_SetCheckState(listWindow, 0, FALSE);
    EXPECT_TRUE(ListView_GetCheckState(listWindow, 0)) << "never no row checked";
    EXPECT_EQ(list.ModeOfRow(1), modes[1].get());

    std::string typed(45, 'n');
    NMLVDISPINFOA edit{};
    edit.hdr.hwndFrom = listWindow;
    edit.hdr.code = LVN_ENDLABELEDITA;
    edit.item.iItem = 1;
    edit.item.pszText = typed.data();
    host.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&edit));
    EXPECT_EQ(std::string(modes[1]->mode.NamePolicy), std::string(30, 'n'));
    EXPECT_EQ(modes[1]->modified, 1);
    char shown[64] = {};
    ListView_GetItemText(listWindow, 1, 0, shown, sizeof shown);
    EXPECT_EQ(std::string(shown), std::string(30, 'n'));
    edit.item.pszText = nullptr;
    edit.item.iItem = 2;
    host.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&edit));
    EXPECT_EQ(modes[2]->modified, 0) << "a cancelled edit changes nothing";
}

TEST_F(ControlsTest, HelpShowsOnlyStringsTheAppletHas) {
    EXPECT_FALSE(ShowHelpText(parent_, 4242, POINT{50, 50}));
    EXPECT_EQ(HelpPopupWindow(), nullptr);
    EXPECT_TRUE(ShowHelpText(parent_, IDC_ADV_HIBERNATE, POINT{50, 50}));
    if (const HWND popup = HelpPopupWindow()) {
        // Our own popup (where the system's help engine cannot show one): it goes at a click.
        ::SendMessageA(popup, WM_LBUTTONDOWN, 0, 0);
        EXPECT_FALSE(::IsWindow(popup));
    }
    // The Control Panel's CPL_EXIT frees the help engine (not the library's detach, which runs
    // under the loader lock).
    EXPECT_TRUE(ShowHelpText(parent_, IDC_ADV_HIBERNATE, POINT{50, 50}));
    gApp.OnCplMsg(nullptr, CPL_EXIT, 0, 0);
    EXPECT_EQ(::GetModuleHandleA("hhctrl.ocx"), nullptr);
    EXPECT_EQ(HelpPopupWindow(), nullptr);
}

// Batteries for the meter page: index -> (power state, capacity of 4000).
class FakeBatteries final : public hardware::BatteryDevice {
public:
    std::map<int, std::pair<ULONG, ULONG>> batteries;

    framework::UniqueFile Open(int index) const override {
        if (batteries.count(index) == 0) {
            return {};
        }
        HANDLE handle = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
        opened_[handle] = index;
        return framework::UniqueFile(handle);
    }

    bool Control(HANDLE device, DWORD code, const void*, DWORD, void* output, DWORD outputSize,
                 DWORD& returned) const override {
        const auto& [state, capacity] = batteries.at(opened_.at(device));
        returned = 0;
        if (code == hardware::kQueryTagCode && outputSize >= sizeof(ULONG)) {
            *static_cast<ULONG*>(output) = 1;
            returned = sizeof(ULONG);
        } else if (code == hardware::kQueryStatusCode && outputSize >= sizeof(BATTERY_STATUS)) {
            BATTERY_STATUS status{};
            status.PowerState = state;
            status.Capacity = capacity;
            std::memcpy(output, &status, sizeof status);
            returned = sizeof status;
        } else if (code == hardware::kQueryInformationCode &&
                   outputSize >= sizeof(BATTERY_INFORMATION)) {
            BATTERY_INFORMATION information{};
            information.FullChargedCapacity = 4000;
            std::memcpy(information.Chemistry, "LION", 4);
            std::memcpy(output, &information, sizeof information);
            returned = sizeof information;
        }
        return returned != 0;
    }

private:
    mutable std::map<HANDLE, int> opened_;
};

std::string BarText(BatteryMeterPage& page, int id) {
    auto* bar = static_cast<TextProgressCtrl*>(framework::Window::FromHandle(page.Item(id)));
    return bar != nullptr ? bar->DrawnText() : "(no bar)";
}

TEST_F(ControlsTest, MeterPageShowsOneTwoOrNoBatteries) {
    FakeBatteries device;
    BatteryMeterPage page;
    page.SetBatteryDevice(&device);
    ASSERT_TRUE(page.Create(parent_));
    ::ShowWindow(page.Hwnd(), SW_SHOW);
    EXPECT_TRUE(::IsWindowVisible(page.Item(IDC_METER_BUTTON1)));
    EXPECT_EQ(BarText(page, IDC_METER_BAR1), "Not Present");
    EXPECT_FALSE(::IsWindowVisible(page.Item(IDC_METER_BUTTON2)));

    device.batteries[0] = {BATTERY_POWER_ON_LINE | BATTERY_CHARGING, 2000};
    page.Refresh();
    EXPECT_EQ(BarText(page, IDC_METER_BAR1), "On Line,Charging:50%");
    EXPECT_FALSE(::IsWindowVisible(page.Item(IDC_METER_BAR2)));
    EXPECT_FALSE(::IsWindowVisible(page.Item(IDC_METER_LABEL2)));

    device.batteries[1] = {0, 1000};
    page.Refresh();
    EXPECT_TRUE(::IsWindowVisible(page.Item(IDC_METER_BAR2)));
    EXPECT_EQ(BarText(page, IDC_METER_BAR2), "25%") << "no state bits: the percentage alone";

    device.batteries.erase(1);
    page.Refresh();
    EXPECT_FALSE(::IsWindowVisible(page.Item(IDC_METER_BAR2)));
}

} // namespace
