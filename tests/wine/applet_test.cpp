// The applet in-process under Wine: its entry point as the Control Panel drives it, the start
// checks against the emulated notebook, and the main dialog against the real registry.
#include "AppletTest.h"
#include "store/SuiteScheme.h"
#include "store/WindowsVersion.h"

using namespace applet_test;

namespace {

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
    if (store::WindowsUsesSchemeInterface()) {
        // The opening made the suite's scheme through the power-scheme interface, no XP one.
        store::PowerSchemeApi api;
        EXPECT_TRUE(store::FindSuiteScheme(api));
        EXPECT_EQ(store::FindSystemScheme(), -1);
    }
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

} // namespace
