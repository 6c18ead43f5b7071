// Dialogs from the test program's own templates: modeless with subclassed, owner-drawn and list
// controls; a dialog of its own class; modal ones ended from a timer; a tab page inside a dialog.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "framework/Dialog.h"
#include "framework_test_ids.h"
#include "framework_test_support.h"

using framework::Dialog;
using framework::TextKind;
using framework::Window;

namespace {

class OwnerDrawnButton : public Window {
public:
    int draws = 0;
    HWND drawnItem = nullptr;

protected:
    bool DrawItem(const DRAWITEMSTRUCT& item) override {
        ++draws;
        drawnItem = item.hwndItem;
        ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        return true;
    }
};

// Vetoes every change of an item's state, which only works when its answer reaches the list.
class VetoingList : public Window {
public:
    std::vector<UINT> codes;

protected:
    bool OnReflectedNotify(const NMHDR& header, LRESULT& result) override {
        codes.push_back(header.code);
        if (header.code == LVN_ITEMCHANGING) {
            result = TRUE;
            return true;
        }
        return false;
    }
};

class ModelessDialog : public Dialog {
public:
    ModelessDialog() : Dialog(IDD_FW_MODELESS, TextKind::Narrow) {}
    OwnerDrawnButton drawn;
    VetoingList list;
    int inits = 0;
    std::vector<UINT> commands;
    std::vector<UINT> notifications;

protected:
    bool OnInitDialog() override {
        ++inits;
        return drawn.SubclassDlgItem(IDC_FW_OWNERDRAW, Hwnd()) &&
               list.SubclassDlgItem(IDC_FW_LIST, Hwnd());
    }
    bool OnCommand(UINT id, UINT code, HWND control) override {
        commands.push_back(id);
        return Dialog::OnCommand(id, code, control);
    }
    bool OnNotify(const NMHDR& header, LRESULT&) override {
        if (header.idFrom == IDC_FW_LIST) {
            notifications.push_back(header.code);
        }
        return false;
    }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
};

TEST_F(DialogTest, ModelessDialogReflectsToItsSubclassedControls) {
    ModelessDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_FALSE(dialog.IsModal());
    // A narrow dialog and its button stay ANSI under their objects (the list view's class is
    // Unicode whatever made it).
    EXPECT_FALSE(::IsWindowUnicode(dialog.Hwnd()));
    EXPECT_FALSE(::IsWindowUnicode(dialog.drawn.Hwnd()));

    ::ShowWindow(dialog.Hwnd(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(dialog.Hwnd());
    EXPECT_TRUE(fwtest::PumpUntil([&] { return dialog.drawn.draws > 0; }));
    EXPECT_EQ(dialog.drawn.drawnItem, dialog.drawn.Hwnd());

    // A control without an object notifies the dialog itself.
    ::SendMessageA(dialog.Item(IDC_FW_BUTTON), BM_CLICK, 0, 0);
    EXPECT_EQ(dialog.commands, std::vector<UINT>{IDC_FW_BUTTON});

    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    ::SendMessageA(dialog.list.Hwnd(), LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>("row");
    ASSERT_EQ(
        ::SendMessageA(dialog.list.Hwnd(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)), 0);
    dialog.list.codes.clear();
    dialog.notifications.clear();
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    ::SendMessageA(dialog.list.Hwnd(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(::SendMessageA(dialog.list.Hwnd(), LVM_GETITEMSTATE, 0, LVIS_SELECTED), 0)
        << "the list's veto did not reach the list view";
    ASSERT_FALSE(dialog.list.codes.empty());
    EXPECT_EQ(dialog.list.codes.front(), static_cast<UINT>(LVN_ITEMCHANGING));
    for (UINT code : dialog.notifications) {
        EXPECT_NE(code, static_cast<UINT>(LVN_ITEMCHANGING)) << "kept by the list";
    }

    ASSERT_TRUE(dialog.Destroy());
    EXPECT_EQ(dialog.Hwnd(), nullptr);
    EXPECT_EQ(dialog.drawn.Hwnd(), nullptr);
    EXPECT_EQ(dialog.list.Hwnd(), nullptr);
}

class ClassedDialog : public Dialog {
public:
    ClassedDialog() : Dialog(IDD_FW_CLASSED, TextKind::Wide) {}
    int cancels = 0;

protected:
    void OnCancel() override {
        ++cancels;
        Dialog::OnCancel();
    }
};

TEST_F(DialogTest, DialogOfItsOwnClassGetsItsKeysThroughPreTranslate) {
    WNDCLASSEXW dialogClass{};
    dialogClass.cbSize = sizeof dialogClass;
    ASSERT_TRUE(::GetClassInfoExW(nullptr, MAKEINTRESOURCEW(0x8002), &dialogClass));
    dialogClass.lpszClassName = L"Framework Test Dialog";
    dialogClass.hInstance = ::GetModuleHandleW(nullptr);
    ::RegisterClassExW(&dialogClass);

    ClassedDialog dialog;
    ASSERT_TRUE(dialog.Create());
    const HWND hwnd = dialog.Hwnd();
    EXPECT_EQ(::FindWindowW(L"Framework Test Dialog", nullptr), hwnd);
    EXPECT_TRUE(::IsWindowUnicode(hwnd));

    // Tab moves the focus only through the dialog manager's keyboard step.
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetFocus(dialog.Item(IDOK));
    ASSERT_EQ(::GetFocus(), dialog.Item(IDOK));
    ::PostMessageW(dialog.Item(IDOK), WM_KEYDOWN, VK_TAB, 1);
    EXPECT_TRUE(fwtest::PumpUntil([&] { return ::GetFocus() == dialog.Item(IDCANCEL); }, 1000));
    ::PostMessageW(dialog.Item(IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(fwtest::PumpUntil([&] { return dialog.cancels > 0; }));
    EXPECT_FALSE(::IsWindow(hwnd)) << "a modeless dialog ends by being destroyed";
}

class TimedModal : public Dialog {
public:
    explicit TimedModal(INT_PTR code) : Dialog(IDD_FW_MODAL, TextKind::Narrow), code_(code) {}
    bool modalDuringInit = false;

protected:
    bool OnInitDialog() override {
        modalDuringInit = IsModal();
        SetTimer(1, 20);
        return true;
    }
    void OnTimer(UINT_PTR) override {
        KillTimer(1);
        if (code_ == IDOK) {
            ::SendMessageA(Item(IDOK), BM_CLICK, 0, 0);
        } else {
            End(code_);
        }
    }

private:
    INT_PTR code_;
};

TEST_F(DialogTest, ModalDialogEndedFromATimerReturnsItsCode) {
    TimedModal dialog(4321);
    EXPECT_EQ(dialog.DoModal(), 4321);
    EXPECT_TRUE(dialog.modalDuringInit);
    EXPECT_EQ(dialog.Hwnd(), nullptr);
    // The same object opens again; the OK button ends it through the default OnOK.
    TimedModal ok(IDOK);
    EXPECT_EQ(ok.DoModal(), IDOK);
    EXPECT_EQ(dialog.DoModal(), 4321);
}

class ThrowingInit : public Dialog {
public:
    ThrowingInit() : Dialog(IDD_FW_MODAL, TextKind::Wide) {}

protected:
    bool OnInitDialog() override { throw std::runtime_error("init"); }
};

TEST_F(DialogTest, DialogsThatCannotStartFailInsteadOfHanging) {
    Dialog missing(9999, TextKind::Wide);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_FALSE(missing.Create());
    EXPECT_EQ(missing.Hwnd(), nullptr);

    ThrowingInit throwing;
    EXPECT_EQ(throwing.DoModal(), -1);
    EXPECT_FALSE(throwing.Create());
    EXPECT_EQ(throwing.Hwnd(), nullptr);
}

class Page : public Dialog {
public:
    Page() : Dialog(IDD_FW_PAGE, TextKind::Narrow) {}
    int clicks = 0;
    int helpFor = 0;

protected:
    bool OnHelp(const HELPINFO& help) override {
        helpFor = help.iCtrlId;
        return true;
    }
    bool OnCommand(UINT id, UINT code, HWND control) override {
        if (id == IDC_FW_PAGE_BUTTON) {
            ++clicks;
            return true;
        }
        return Dialog::OnCommand(id, code, control);
    }
};

class Host : public Dialog {
public:
    Host() : Dialog(IDD_FW_HOST, TextKind::Narrow) {}
    Page page;
    bool pageIsChild = false;
    bool pageLived = false;
    int cancels = 0;
    int helpFor = 0;

protected:
    bool OnInitDialog() override {
        if (!page.Create(Hwnd())) {
            End(-2);
            return false;
        }
        pageIsChild = ::GetParent(page.Hwnd()) == Hwnd() &&
                      (::GetWindowLongPtrA(page.Hwnd(), GWL_STYLE) & WS_CHILD) != 0;
        ::ShowWindow(page.Hwnd(), SW_SHOW);
        SetTimer(1, 20);
        return true;
    }
    void OnTimer(UINT_PTR) override {
        KillTimer(1);
        ::SendMessageA(page.Item(IDC_FW_PAGE_BUTTON), BM_CLICK, 0, 0);
        // With the caption's help button, a right click on the page shows the help of the
        // control under the mouse.
        ::SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE,
                            ::GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
        RECT button{};
        ::GetWindowRect(page.Item(IDC_FW_PAGE_BUTTON), &button);
        page.Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(page.Hwnd()),
                  MAKELPARAM(button.left + 2, button.top + 2));
        helpFor = page.helpFor;
        // Escape in a multi-line edit of a page closes the page as a dialog (IDCANCEL).
        page.Send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        pageLived = page.Hwnd() != nullptr;
        End(page.clicks);
    }
    void OnCancel() override { ++cancels; }
};

TEST_F(DialogTest, TabPageIsAChildDialogWithItsOwnObject) {
    Host host;
    EXPECT_EQ(host.DoModal(), 1) << "the page's button reaches the page's object";
    EXPECT_TRUE(host.pageIsChild);
    EXPECT_TRUE(host.pageLived) << "a page never ends itself";
    EXPECT_EQ(host.cancels, 1) << "its IDCANCEL belongs to the dialog it sits in";
    EXPECT_EQ(host.helpFor, IDC_FW_PAGE_BUTTON);
    EXPECT_EQ(host.page.Hwnd(), nullptr) << "the page goes with the dialog it sits in";
}

} // namespace
