// The applet's controls in-process under Wine, each on a window of its own: the text progress
// bar, hover buttons, action lists, sliders, icons, the scheme list, help and the meter page.
#include "AppletTest.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "FakeBatteryTree.h"

using namespace applet_test;

namespace {

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

// The page reads away from its window: let its reading come, as the message loop would.
void ShowReading(BatteryMeterPage& page) {
    for (int i = 0; i < 5000 && page.Reading(); ++i) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageA(&message);
        }
        if (page.Reading()) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        }
    }
}

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
    ShowReading(page);
    EXPECT_TRUE(::IsWindowVisible(page.Item(IDC_METER_BUTTON1)));
    EXPECT_EQ(BarText(page, IDC_METER_BAR1), "Not Present");
    EXPECT_FALSE(::IsWindowVisible(page.Item(IDC_METER_BUTTON2)));

    device.batteries[0] = {BATTERY_POWER_ON_LINE | BATTERY_CHARGING, 2000};
    page.Refresh();
    ShowReading(page);
    EXPECT_EQ(BarText(page, IDC_METER_BAR1), "On Line,Charging:50%");
    EXPECT_FALSE(::IsWindowVisible(page.Item(IDC_METER_BAR2)));
    EXPECT_FALSE(::IsWindowVisible(page.Item(IDC_METER_LABEL2)));

    device.batteries[1] = {0, 1000};
    page.Refresh();
    ShowReading(page);
    EXPECT_TRUE(::IsWindowVisible(page.Item(IDC_METER_BAR2)));
    EXPECT_EQ(BarText(page, IDC_METER_BAR2), "25%") << "no state bits: the percentage alone";

    device.batteries.erase(1);
    page.Refresh();
    ShowReading(page);
    EXPECT_FALSE(::IsWindowVisible(page.Item(IDC_METER_BAR2)));
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

TEST_F(ControlsTest, MeterRefreshWithAnEmptySecondBayDoesNotWaitOnTheWindow) {
    ASSERT_TRUE(fake_battery::InSession()) << "run in a test session";
    ASSERT_TRUE(fake_battery::RunSetup("--battery-slots 2")); // bay #2 there, but empty
    BatteryMeterPage page;
    ASSERT_TRUE(page.Create(parent_));
    ::ShowWindow(page.Hwnd(), SW_SHOW);
    ShowReading(page);
    // The driver holds each tag query of the empty bay 200 ms; none of it on this thread: the
    // refresh only starts the read, and showing its result is all that is left here.
    std::vector<double> costs;
    LARGE_INTEGER start, end;
    for (int i = 0; i < 5; ++i) {
        ::QueryPerformanceCounter(&start);
        page.Refresh();
        ::QueryPerformanceCounter(&end);
        double cost = Milliseconds(start, end);
        EXPECT_TRUE(page.Reading());
        while (page.Reading()) {
            MSG message;
            if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
                continue;
            }
            ::QueryPerformanceCounter(&start);
            ::DispatchMessageA(&message);
            ::QueryPerformanceCounter(&end);
            cost += Milliseconds(start, end);
        }
        costs.push_back(cost);
    }
    std::sort(costs.begin(), costs.end());
    ::QueryPerformanceCounter(&start);
    ReadMeter(hardware::SystemBatteryDevice());
    ::QueryPerformanceCounter(&end);
    std::printf("meter refresh, bay #2 empty: %.1f ms on the window's thread (median of 5, "
                "slowest %.1f); the reading itself takes %.1f ms\n",
                costs[2], costs.back(), Milliseconds(start, end));
    // A few milliseconds on an idle machine; the bound holds on a loaded one too, and is well
    // under the one 200 ms wait a refresh on this thread would take.
    EXPECT_LT(costs[2], 100.0);
    EXPECT_EQ(BarText(page, IDC_METER_BAR2), "Not Present");
    EXPECT_TRUE(::IsWindowVisible(page.Item(IDC_METER_BAR2)));
    page.Destroy();
    EXPECT_TRUE(fake_battery::RunSetup("--battery-slots 1"));
}

} // namespace
