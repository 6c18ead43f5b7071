// The applet's dialogs and pages in-process under Wine: the alarm action dialog, the Power
// Save Modes page (copy, rename, delete, undo) and the properties of a mode.
#include "AppletTest.h"

using namespace applet_test;

namespace {

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

} // namespace
