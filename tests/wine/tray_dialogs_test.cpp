// The tray's dialogs, built from the program's own resources, run modally as the program runs
// them and answered through a hook on this thread: the reconditioning reminder with what each
// answer stores, and the About box with the notebook's version text.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "BatteryQueries.h"
#include "FakeBatteryTree.h"
#include "RegistryKey.h"
#include "SchemeStore.h"
#include "tray/reminder/BatteryReminder.h"
#include "tray/icon/CAboutDlg.h"
#include "tray/reminder/CBatteryLearningDlg.h"
#include "tray/resource.h"

using tray::CBatteryLearningDlg;

namespace {

std::string Text(HWND window) {
    char text[512] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

// Calls the test's function once for every top-level dialog or box of this thread as it is
// activated; a window activated again (after a box over it closed) is not offered twice.
class OnActivate {
public:
    explicit OnActivate(std::function<void(HWND)> fn) : fn_(std::move(fn)) {
        current_ = this;
        hook_ = ::SetWindowsHookExA(WH_CBT, Hook, nullptr, ::GetCurrentThreadId());
    }
    ~OnActivate() {
        ::UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    OnActivate(const OnActivate&) = delete;
    OnActivate& operator=(const OnActivate&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && current_ != nullptr) {
            const HWND window = reinterpret_cast<HWND>(wParam);
            // Activation also passes to no window at all when the last dialog closes.
            if (window != nullptr && current_->seen_.insert(window).second) {
                current_->fn_(window);
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline OnActivate* current_ = nullptr;
    std::function<void(HWND)> fn_;
    std::set<HWND> seen_;
    HHOOK hook_ = nullptr;
};

void Click(HWND dialog, int id) {
    ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

struct Stored {
    std::uint32_t msgFlg = 99;
    std::uint32_t nextCycle = 99;
    int writes = 0;
};

struct Reminder {
    Stored stored;
    int procedureShown = 0;
    HWND dialog = nullptr;
    bool laterEnabledAtWrite = true;
    std::vector<int> clicks;
    bool cancelFirst = false;

    INT_PTR Run(int cycle) {
        CBatteryLearningDlg dlg(
            cycle,
            [this](std::uint32_t msgFlg, std::uint32_t nextCycle) {
                stored = {msgFlg, nextCycle, stored.writes + 1};
                laterEnabledAtWrite =
                    ::IsWindowEnabled(::GetDlgItem(dialog, IDC_LEARNING_LATER)) != FALSE;
            },
            [this](HWND) { ++procedureShown; });
        OnActivate answer([this](HWND window) {
            dialog = window;
            if (cancelFirst) {
                ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
                ::PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
            }
            for (const int id : clicks) {
                Click(window, id);
            }
        });
        return dlg.DoModal(nullptr);
    }
};

} // namespace

TEST(BatteryLearningDialog, RemindMeLaterStoresTenCyclesOnModulo250) {
    Reminder at245;
    at245.clicks = {IDC_LEARNING_LATER};
    EXPECT_EQ(at245.Run(245), IDC_LEARNING_LATER);
    EXPECT_EQ(at245.stored.msgFlg, 1u);
    EXPECT_EQ(at245.stored.nextCycle, 5u);

    Reminder at240;
    at240.clicks = {IDC_LEARNING_LATER};
    EXPECT_EQ(at240.Run(240), IDC_LEARNING_LATER);
    EXPECT_EQ(at240.stored.nextCycle, 250u);
    EXPECT_EQ(at240.procedureShown, 0);
}

TEST(BatteryLearningDialog, YesWithTheBoxTickedNeverRemindsAndStillShowsTheProcedure) {
    Reminder reminder;
    reminder.clicks = {IDC_LEARNING_NEVER, IDC_LEARNING_YES};
    EXPECT_EQ(reminder.Run(100), IDC_LEARNING_YES);
    EXPECT_EQ(reminder.stored.msgFlg, 2u);
    EXPECT_EQ(reminder.stored.nextCycle, 0u);
    EXPECT_EQ(reminder.stored.writes, 1);
    EXPECT_EQ(reminder.procedureShown, 1);
    // Ticking the box greys "Remind Me Later".
    EXPECT_FALSE(reminder.laterEnabledAtWrite);
}

TEST(BatteryLearningDialog, NoRemindsInFiftyCyclesWithoutTheProcedure) {
    Reminder reminder;
    reminder.clicks = {IDC_LEARNING_NO};
    EXPECT_EQ(reminder.Run(230), IDC_LEARNING_NO);
    EXPECT_EQ(reminder.stored.msgFlg, 1u);
    EXPECT_EQ(reminder.stored.nextCycle, 30u);
    EXPECT_EQ(reminder.procedureShown, 0);
    EXPECT_TRUE(reminder.laterEnabledAtWrite);
}

TEST(BatteryLearningDialog, TickingTheBoxTwiceEnablesLaterAgain) {
    Reminder reminder;
    reminder.clicks = {IDC_LEARNING_NEVER, IDC_LEARNING_NEVER, IDC_LEARNING_YES};
    EXPECT_EQ(reminder.Run(10), IDC_LEARNING_YES);
    EXPECT_EQ(reminder.stored.msgFlg, 1u);
    EXPECT_EQ(reminder.stored.nextCycle, 60u);
    EXPECT_TRUE(reminder.laterEnabledAtWrite);
}

TEST(BatteryLearningDialog, EscapeDoesNotCloseIt) {
    Reminder reminder;
    reminder.cancelFirst = true;
    reminder.clicks = {IDC_LEARNING_NO};
    // Had Escape closed it, the result would be IDCANCEL and nothing would be stored.
    EXPECT_EQ(reminder.Run(50), IDC_LEARNING_NO);
    EXPECT_EQ(reminder.stored.writes, 1);
}

TEST(BatteryLearningDialog, ItIsTopmostAndShowsTheQuestionIcon) {
    bool topmost = false;
    bool icon = false;
    std::string title;
    CBatteryLearningDlg dlg(1, {}, {});
    OnActivate answer([&](HWND window) {
        topmost = (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        icon = ::SendDlgItemMessageA(window, IDC_LEARNING_ICON, STM_GETICON, 0, 0) != 0;
        title = Text(window);
        Click(window, IDC_LEARNING_LATER);
    });
    EXPECT_EQ(dlg.DoModal(nullptr), IDC_LEARNING_LATER);
    EXPECT_TRUE(topmost);
    EXPECT_TRUE(icon);
    EXPECT_EQ(title, "Battery Learning Dialog");
}

TEST(BatteryLearningDialog, TheProgramsAnswersGoToTheMachineReminderAndTheProcedureBox) {
    store::RegistryKey key(HKEY_LOCAL_MACHINE);
    const bool existed = key.Exists(store::kReminderPath);
    ASSERT_TRUE(key.Create(store::kReminderPath));
    key.Close();
    store::SchemeStore store;
    std::uint32_t oldFlg = 0;
    std::uint32_t oldNext = 0;
    store.ReadReminder(oldFlg, oldNext);

    std::string boxCaption;
    std::string boxText;
    CBatteryLearningDlg dlg(120, &CBatteryLearningDlg::WriteMachineReminder,
                            &CBatteryLearningDlg::ShowProcedureBox);
    OnActivate answer([&](HWND window) {
        if (Text(window) == "Battery Learning Dialog") {
            Click(window, IDC_LEARNING_YES);
            return;
        }
        boxCaption = Text(window);
        char text[2048] = {};
        ::GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
        boxText = text;
        ::PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(dlg.DoModal(nullptr), IDC_LEARNING_YES);

    std::uint32_t msgFlg = 9;
    std::uint32_t nextCycle = 9;
    store.ReadReminder(msgFlg, nextCycle);
    EXPECT_EQ(msgFlg, 1u);
    EXPECT_EQ(nextCycle, 170u);
    EXPECT_EQ(boxCaption, "Battery Reconditioning Procedure");
    EXPECT_EQ(boxText.rfind("1. Shut down the notebook", 0), 0u) << boxText;
    EXPECT_NE(boxText.find("5. Once this is completed, please repeat steps 1 through 4 again."),
              std::string::npos);

    store.WriteReminder(oldFlg, oldNext);
    if (!existed) {
        store::DeleteKeyTree(HKEY_LOCAL_MACHINE, store::kReminderPath);
    }
}

TEST(AboutBox, TheVersionLineEndsWithTheNotebooksVersionText) {
    tray::CAboutDlg about("EMU 1.20");
    std::string line;
    std::string caption;
    OnActivate answer([&](HWND window) {
        line = Text(::GetDlgItem(window, IDC_VERSION_TEXT));
        caption = Text(window);
        ::PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(about.DoModal(nullptr), IDOK);
    EXPECT_EQ(line, "Power Management Utility Ver EMU 1.20");
    EXPECT_EQ(caption, "About...");
}

// The reminder reads the first battery's chemistry through the battery device: a
// nickel-metal-hydride pack ends the checks (read-only: nothing shown), any other goes on.
TEST(BatteryReminderCheck, OnlyANickelMetalHydrideBatteryIsOneToRecondition) {
    ASSERT_TRUE(fake_battery::InSession());
    hardware::FirmwarePort firmware{};
    tray::BatteryReminder lithium(firmware);
    fake_battery::Reset();
    // A failed read goes on too: the pack must be seen as lithium for the check to mean much.
    BATTERY_INFORMATION information{};
    ASSERT_EQ(hardware::QueryBatteryInformation(0, information), hardware::BatteryQuery::Succeeded);
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(information.Chemistry), 4), "LION");
    EXPECT_EQ(lithium.Check(true), tray::LearningCheck::Again);
    fake_battery::Write("BAT0\\technology", "NiMH");
    tray::BatteryReminder nickel(firmware);
    EXPECT_EQ(nickel.Check(true), tray::LearningCheck::Done);
    EXPECT_EQ(nickel.Check(false), tray::LearningCheck::Done);
    fake_battery::Reset();
}
