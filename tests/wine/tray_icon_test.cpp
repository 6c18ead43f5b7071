// The tray icon against a real hidden window: what reaches the shell for each operation, how
// the icon's state follows the shell's answers, and the re-add when the work area changes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "IconWidth.h"
#include "SchemeStore.h"
#include "tray/icon/CSystemTray.h"
#include "tray/icon/TrayIconView.h"
#include "tray/logic/TrayIds.h"
#include "tray/resource.h"

using tray::CSystemTray;

namespace {

constexpr UINT kCallback = 0x8064;

struct ShellCall {
    DWORD message = 0;
    DWORD size = 0;
    HWND window = nullptr;
    UINT id = 0;
    UINT flags = 0;
    UINT callback = 0;
    HICON icon = nullptr;
    std::string tip;
};

// Stands in for the shell: records every record it is given and answers as told.
struct FakeShell {
    std::vector<ShellCall> calls;
    bool accept = true;
    bool acceptModify = true; // false: as a shell that has lost the icon

    CSystemTray::NotifyFn Fn() {
        return [this](DWORD message, NOTIFYICONDATAA& record) {
            ShellCall call;
            call.message = message;
            call.size = record.cbSize;
            call.window = record.hWnd;
            call.id = record.uID;
            call.flags = record.uFlags;
            call.callback = record.uCallbackMessage;
            call.icon = record.hIcon;
            // The first-generation record ends after a 64-byte tip; nothing beyond is read.
            call.tip.assign(record.szTip, strnlen(record.szTip, 64));
            calls.push_back(call);
            return accept && (acceptModify || message != NIM_MODIFY);
        };
    }
};

framework::UniqueIcon SomeIcon() {
    return framework::UniqueIcon(::CreateIcon(::GetModuleHandleA(nullptr), 16, 16, 1, 1,
                                              std::vector<BYTE>(32, 0xFF).data(),
                                              std::vector<BYTE>(32, 0x00).data()));
}

// Runs what the icon posted to its own window.
void Pump() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageA(&message);
    }
}

bool IsLiveIcon(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) {
        return false;
    }
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return true;
}

class TrayIcon : public ::testing::Test {
protected:
    HWND Owner() {
        if (owner_ == nullptr) {
            owner_ = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                       ::GetModuleHandleA(nullptr), nullptr);
        }
        return owner_;
    }
    void TearDown() override {
        if (owner_ != nullptr) {
            ::DestroyWindow(owner_);
        }
    }

    FakeShell shell;

private:
    HWND owner_ = nullptr;
};

} // namespace

TEST_F(TrayIcon, CreationAddsTheFirstGenerationRecordWithATipOf63Bytes) {
    CSystemTray icon(shell.Fn());
    const std::string longTip(100, 'T');
    ASSERT_TRUE(icon.Create(Owner(), kCallback, longTip.c_str(), SomeIcon(), tray::kTrayIconId));

    ASSERT_EQ(shell.calls.size(), 1u);
    const ShellCall& add = shell.calls[0];
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.size, sizeof(void*) == 4 ? 88u : 104u);
    EXPECT_EQ(add.window, Owner());
    EXPECT_EQ(add.id, 128u);
    EXPECT_EQ(add.flags, 7u);
    EXPECT_EQ(add.callback, kCallback);
    EXPECT_EQ(add.icon, icon.Icon());
    EXPECT_EQ(add.tip, std::string(63, 'T'));
    EXPECT_FALSE(icon.Hidden());
    EXPECT_FALSE(icon.Removed());
    EXPECT_FALSE(icon.ShowPending());

    // The icon's own window is a hidden, untitled pop-up.
    ASSERT_NE(icon.Hwnd(), nullptr);
    EXPECT_FALSE(::IsWindowVisible(icon.Hwnd()));
    EXPECT_EQ(::GetWindowLongA(icon.Hwnd(), GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
    EXPECT_EQ(::GetWindowTextLengthA(icon.Hwnd()), 0);
}

// Run with a Japanese system locale (code page 932).
TEST_F(TrayIcon, JapaneseTipIsCutBetweenCharacters) {
    ASSERT_EQ(::GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    CSystemTray icon(shell.Fn());
    // "ア" (0x83 0x41) 40 times: the 63rd byte would be the lead byte of the 32nd.
    std::string tip;
    for (int i = 0; i < 40; ++i) {
        tip += "\x83\x41";
    }
    ASSERT_TRUE(icon.Create(Owner(), kCallback, tip.c_str(), SomeIcon(), tray::kTrayIconId));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].tip, tip.substr(0, 62)) << "31 whole characters, not 31 and a half";
    // One byte before them: 63 bytes hold it and 31 characters.
    ASSERT_TRUE(icon.SetTooltipText(("x" + tip).c_str()));
    EXPECT_EQ(shell.calls.back().tip, "x" + tip.substr(0, 62));
}

TEST_F(TrayIcon, WithoutAnOwnerTheIconsOwnWindowGetsTheNotifications) {
    CSystemTray icon(shell.Fn());
    ASSERT_TRUE(icon.Create(nullptr, kCallback, "", SomeIcon(), tray::kTrayIconId));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].window, icon.Hwnd());
}

TEST_F(TrayIcon, ARefusedAddFailsCreationAndLeavesTheIconHiddenAndPending) {
    shell.accept = false;
    CSystemTray icon(shell.Fn());
    EXPECT_FALSE(icon.Create(Owner(), kCallback, "", SomeIcon(), tray::kTrayIconId));
    EXPECT_TRUE(icon.Hidden());
    EXPECT_TRUE(icon.Removed());
    EXPECT_TRUE(icon.ShowPending());

    // Changes while hidden are kept for the next add but not sent.
    shell.calls.clear();
    EXPECT_TRUE(icon.SetTooltipText("later"));
    EXPECT_TRUE(icon.SetIcon(SomeIcon()));
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(icon.TooltipText(), "later");
}

TEST_F(TrayIcon, TipAndIconChangesModifyOnlyTheirOwnPart) {
    CSystemTray icon(shell.Fn());
    ASSERT_TRUE(icon.Create(Owner(), kCallback, "", SomeIcon(), tray::kTrayIconId));
    const HICON first = icon.Icon();
    shell.calls.clear();

    EXPECT_TRUE(icon.SetTooltipText("On AC power ( Normal Mode ), Battery Remaining: 80 %"));
    framework::UniqueIcon next = SomeIcon();
    const HICON second = next.Get();
    EXPECT_TRUE(icon.SetIcon(std::move(next)));

    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(shell.calls[0].flags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(shell.calls[0].tip, "On AC power ( Normal Mode ), Battery Remaining: 80 %");
    EXPECT_EQ(shell.calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(shell.calls[1].flags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(shell.calls[1].icon, second);
    // The icon shown before belongs to the tray icon and is destroyed when replaced.
    EXPECT_FALSE(IsLiveIcon(first));
    EXPECT_TRUE(IsLiveIcon(second));
}

TEST_F(TrayIcon, AddModifiesAShownIconAndRemoveHappensOnce) {
    CSystemTray icon(shell.Fn());
    ASSERT_TRUE(icon.Create(Owner(), kCallback, "tip", SomeIcon(), tray::kTrayIconId));
    shell.calls.clear();

    // Shown, and the shell holds the record: once the loop runs, one modify of the callback
    // alone (which makes the shell draw nothing again) for any number of shows.
    EXPECT_TRUE(icon.AddIcon());
    EXPECT_TRUE(icon.AddIcon());
    EXPECT_TRUE(shell.calls.empty());
    Pump();
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(shell.calls[0].flags, static_cast<UINT>(NIF_MESSAGE));
    EXPECT_EQ(shell.calls[0].callback, kCallback);
    EXPECT_FALSE(icon.Hidden());

    // A tip the shell did not take: the next show gives the whole record.
    shell.acceptModify = false;
    EXPECT_FALSE(icon.SetTooltipText("new tip"));
    shell.acceptModify = true;
    shell.calls.clear();
    EXPECT_TRUE(icon.AddIcon());
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].flags, 7u);
    EXPECT_EQ(shell.calls[0].tip, "new tip");

    // A shell that no longer knows the icon: removed and added again.
    shell.acceptModify = false;
    shell.calls.clear();
    EXPECT_TRUE(icon.AddIcon());
    Pump();
    ASSERT_EQ(shell.calls.size(), 3u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_MODIFY));
    shell.calls.erase(shell.calls.begin());
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(shell.calls[0].flags, 0u);
    EXPECT_EQ(shell.calls[1].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(shell.calls[1].flags, 7u);
    EXPECT_EQ(shell.calls[1].tip, "new tip");

    // Removed before the loop ran: the shell is not asked about it.
    shell.acceptModify = true;
    shell.calls.clear();
    EXPECT_TRUE(icon.AddIcon());
    EXPECT_TRUE(icon.RemoveIcon());
    EXPECT_TRUE(icon.Removed());
    EXPECT_TRUE(icon.Hidden());
    Pump();
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));

    EXPECT_TRUE(icon.AddIcon());
    shell.calls.clear();
    EXPECT_TRUE(icon.RemoveIcon());
    EXPECT_TRUE(icon.Removed());
    EXPECT_TRUE(icon.Hidden());
    EXPECT_TRUE(icon.RemoveIcon());
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));

    // A removed icon is added without another delete.
    shell.calls.clear();
    EXPECT_TRUE(icon.AddIcon());
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_FALSE(icon.Hidden());
}

TEST_F(TrayIcon, ANewWorkAreaAddsAnIconWhoseAddFailedAndItEndsShown) {
    CSystemTray icon(shell.Fn());
    ASSERT_TRUE(icon.Create(Owner(), kCallback, "tip", SomeIcon(), tray::kTrayIconId));
    shell.accept = false;
    EXPECT_TRUE(icon.AddIcon()); // asked for; the shell's refusal comes with the loop
    Pump();
    ASSERT_TRUE(icon.ShowPending());

    // Another setting changes nothing; a failed re-add stays pending.
    shell.calls.clear();
    ::SendMessageA(icon.Hwnd(), WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_TRUE(shell.calls.empty());
    ::SendMessageA(icon.Hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_TRUE(icon.ShowPending());

    shell.accept = true;
    shell.calls.clear();
    ::SendMessageA(icon.Hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(shell.calls[0].flags, 7u);
    EXPECT_FALSE(icon.ShowPending());
    EXPECT_FALSE(icon.Hidden());
    EXPECT_FALSE(icon.Removed());

    // Shown now: the next work-area change adds nothing more.
    shell.calls.clear();
    ::SendMessageA(icon.Hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIcon, ARemovedIconIsNotBroughtBackByTheWorkArea) {
    CSystemTray icon(shell.Fn());
    shell.accept = false;
    ASSERT_FALSE(icon.Create(Owner(), kCallback, "", SomeIcon(), tray::kTrayIconId));
    shell.accept = true;
    EXPECT_TRUE(icon.RemoveIcon()); // the user turned the icon off in the meantime
    EXPECT_FALSE(icon.ShowPending());
    shell.calls.clear();
    ::SendMessageA(icon.Hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIcon, DestroyingTheObjectTakesAShownIconAway) {
    {
        CSystemTray icon(shell.Fn());
        ASSERT_TRUE(icon.Create(Owner(), kCallback, "", SomeIcon(), tray::kTrayIconId));
        shell.calls.clear();
    }
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TrayIcon, TheProgramsIconResourcesLoadAtTheSmallSize) {
    for (const UINT id : {128u, 143u}) {
        framework::UniqueIcon icon = CSystemTray::LoadIconResource(id);
        ASSERT_TRUE(icon) << id;
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon.Get(), &info));
        BITMAP mask{};
        ::GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, ::GetSystemMetrics(SM_CXSMICON)) << id;
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
    }
    EXPECT_FALSE(CSystemTray::LoadIconResource(999));
}

TEST_F(TrayIcon, TheShellOfTheSessionTakesTheRecordAndLetsItGo) {
    CSystemTray icon;
    // The test session runs a desktop with a notification area: a refused add is a failure.
    ASSERT_TRUE(icon.Create(Owner(), kCallback, "Halvik test", CSystemTray::LoadIconResource(128),
                            tray::kTrayIconId));
    EXPECT_TRUE(icon.SetTooltipText("changed"));
    EXPECT_TRUE(icon.SetIcon(143));
    EXPECT_TRUE(icon.RemoveIcon());
    EXPECT_TRUE(icon.AddIcon());
    EXPECT_TRUE(icon.RemoveIcon());
}

// What the icon shows is told to the shell only when it changes: an apply that leaves the
// tooltip and the picture as they were costs no shell call and no icon read from a file.
TEST_F(TrayIcon, TheViewTellsTheShellOnlyWhatChanged) {
    CSystemTray icon(shell.Fn());
    ASSERT_TRUE(icon.Create(Owner(), kCallback, "", SomeIcon(), tray::kTrayIconId));
    tray::TrayIconView view(icon);
    // A mode id no store holds: no name, no icon reference, so the program's own picture.
    tray::TrayViewState state{false, 1, 80, 987654};

    shell.calls.clear();
    view.Show(state);
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[0].flags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(shell.calls[0].tip, "On AC power (  Mode ), Battery Remaining: 80 %");
    EXPECT_EQ(shell.calls[1].flags, static_cast<UINT>(NIF_ICON));
    const HICON shown = icon.Icon();

    shell.calls.clear();
    view.Show(state);
    view.ShowTooltip(state);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(icon.Icon(), shown);

    // A new charge changes the tip only.
    state.batteryPercent = 79;
    view.Show(state);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].flags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(shell.calls[0].tip, "On AC power (  Mode ), Battery Remaining: 79 %");

    // Read-only mode: its own tip and picture.
    shell.calls.clear();
    state.readOnly = true;
    view.Show(state);
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].flags, static_cast<UINT>(NIF_ICON));
    EXPECT_NE(icon.Icon(), shown);

    // A refused modify is not remembered as shown: the next Show tries again.
    shell.calls.clear();
    shell.acceptModify = false;
    state.readOnly = false;
    view.Show(state);
    EXPECT_EQ(shell.calls.size(), 2u);
    shell.calls.clear();
    shell.acceptModify = true;
    view.Show(state);
    EXPECT_EQ(shell.calls.size(), 2u);
    shell.calls.clear();
    view.Forget();
    view.Show(state);
    EXPECT_EQ(shell.calls.size(), 2u);
}

// At 150 % (run by itself in a prefix set to 144 dpi): the notification icon is the 24-pixel
// image of the program's resources and of a mode's icon library, the About box's the 48-pixel.
TEST_F(TrayIcon, HighDpiIconsAreTheImagesOfTheirSize) {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, 144) << "run with wine-exec --dpi 144";

    for (const UINT id : {128u, 143u}) {
        EXPECT_EQ(IconWidth(CSystemTray::LoadIconResource(id).Get()), 24) << id;
    }

    // A mode whose icon is in the icon library.
    constexpr int kMode = 987653;
    store::SchemeStore mode;
    mode.mode.ACPlug_IN = 1;
    lstrcpynA(mode.mode.ICON, "VoVOZI.dll,0", sizeof mode.mode.ICON);
    mode.SaveScheme(HKEY_CURRENT_USER, kMode);
    CSystemTray icon(shell.Fn());
    ASSERT_TRUE(icon.Create(Owner(), kCallback, "", SomeIcon(), tray::kTrayIconId));
    tray::TrayIconView view(icon);
    view.Show(tray::TrayViewState{false, 1, 80, kMode});
    EXPECT_EQ(IconWidth(icon.Icon()), 24);
    store::SchemeStore().DeleteScheme(HKEY_CURRENT_USER, kMode);

    EXPECT_EQ(DialogIconWidth(IDD_ABOUTBOX), 48);
}
