// The application object's loop and start/exit path, and menus with their state step.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/PeriodicTimer.h"
#include "framework/Menu.h"
#include "framework/UniqueHandle.h"
#include "framework/Window.h"
#include "framework_test_ids.h"
#include "framework_test_support.h"

using framework::Application;
using framework::CommandState;
using framework::Menu;
using framework::TextKind;
using framework::Window;

namespace {

constexpr UINT kDestroy = WM_APP + 10;

// Writes what it sees into a shared log, and may keep keys from the windows below it.
class Logged : public Window {
public:
    Logged(std::vector<std::string>& log, const char* name) : log_(log), name_(name) {}
    bool consume = false;
    bool throwInPreTranslate = false;

    bool PreTranslateMessage(MSG& message) override {
        if (message.message == WM_KEYDOWN) {
            log_.push_back(name_ + " pre");
            if (throwInPreTranslate) {
                throw std::runtime_error("pre");
            }
            return consume;
        }
        return false;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_KEYDOWN) {
            log_.push_back(name_ + " key");
        }
        if (message == kDestroy) {
            Destroy();
            return 0;
        }
        return Window::WindowProc(message, wParam, lParam);
    }

private:
    std::vector<std::string>& log_;
    std::string name_;
};

class TestApp : public Application {
public:
    explicit TestApp(TextKind kind) : Application(kind) {}
    bool start = true;
    Window* mainWindow = nullptr;
    int exits = 0;
    std::vector<UINT> commands;

    bool InitInstance() override {
        if (mainWindow != nullptr) {
            SetMainWindow(mainWindow);
            mainWindow->Post(kDestroy);
        }
        return start;
    }
    int ExitInstance() override {
        ++exits;
        return Application::ExitInstance();
    }
    bool OnCommand(UINT id) override {
        commands.push_back(id);
        return true;
    }
    void OnUpdateCommand(CommandState& state) override {
        if (state.Id() == IDM_FW_NESTED) {
            state.SetCheck();
        }
    }
};

class AppTest : public ::testing::Test {
protected:
    void SetUp() override { fwtest::RegisterTestClasses(); }
    std::vector<std::string> log;
};

TEST_F(AppTest, PreTranslateSeesKeysFirstFromTheInnermostWindowOut) {
    TestApp app(TextKind::Narrow);
    Logged parent(log, "parent");
    Logged child(log, "child");
    ASSERT_TRUE(parent.Create(fwtest::kNarrowClass, "p", {.style = WS_POPUP}));
    ASSERT_TRUE(child.Create(
        fwtest::kNarrowClass, "c",
        {.style = WS_CHILD, .x = 0, .y = 0, .width = 10, .height = 10, .parent = parent.Hwnd()}));
    child.Post(WM_KEYDOWN, VK_DOWN, 1);
    ::PostQuitMessage(5);
    EXPECT_EQ(app.Run(), 5);
    EXPECT_EQ(log, (std::vector<std::string>{"child pre", "parent pre", "child key"}));

    log.clear();
    parent.consume = true;
    child.Post(WM_KEYDOWN, VK_UP, 1);
    ::PostQuitMessage(6);
    EXPECT_EQ(app.Run(), 6);
    EXPECT_EQ(log, (std::vector<std::string>{"child pre", "parent pre"}));

    log.clear();
    parent.consume = false;
    child.throwInPreTranslate = true;
    child.Post(WM_KEYDOWN, VK_UP, 1);
    ::PostQuitMessage(0);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"child pre", "child key"}))
        << "a throwing PreTranslateMessage leaves the message to normal dispatch";
}

namespace {

struct Pulser {
    HANDLE pulses;
    HANDLE seen;
};

// Sets the event twice, each time after the handler has seen the one before.
DWORD WINAPI PulseTwice(void* data) {
    const auto* p = static_cast<Pulser*>(data);
    for (int i = 0; i < 2; ++i) {
        ::WaitForSingleObject(p->seen, 5000);
        ::Sleep(50);
        ::SetEvent(p->pulses);
    }
    return 0;
}

} // namespace

// The loop waits on kernel objects with its messages: a signalled object runs its handler
// without any message to wake the loop, messages keep flowing, and an object unwatched by its
// own handler is not waited on again.
TEST_F(AppTest, LoopRunsTheHandlersOfWatchedObjectsBetweenItsMessages) {
    TestApp app(TextKind::Narrow);
    Logged window(log, "window");
    ASSERT_TRUE(window.Create(fwtest::kNarrowClass, "w", {.style = WS_POPUP}));
    framework::UniqueKernelHandle stays(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    framework::UniqueKernelHandle pulses(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ASSERT_TRUE(stays && pulses);
    framework::UniqueKernelHandle seen(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ASSERT_TRUE(seen);
    int staysSeen = 0;
    int pulsesSeen = 0;
    ASSERT_TRUE(app.WatchObject(stays.Get(), [&] {
        ++staysSeen;
        app.UnwatchObject(stays.Get()); // signalled for good: would run again and again
        ::SetEvent(pulses.Get());
    }));
    ASSERT_TRUE(app.WatchObject(pulses.Get(), [&] {
        ++pulsesSeen;
        window.Post(WM_KEYDOWN, VK_DOWN, 1);
        ::SetEvent(seen.Get());
        if (pulsesSeen == 2) {
            throw std::runtime_error("contained by the loop");
        }
        if (pulsesSeen == 3) {
            ::PostQuitMessage(4);
        }
    }));
    EXPECT_TRUE(app.Watches(pulses.Get()));
    // Set from another thread while the loop waits with nothing in its queue.
    Pulser pulser{pulses.Get(), seen.Get()};
    const HANDLE setter = ::CreateThread(nullptr, 0, &PulseTwice, &pulser, 0, nullptr);
    ASSERT_NE(setter, nullptr);
    ::SetEvent(stays.Get());
    EXPECT_EQ(app.Run(), 4);
    ::WaitForSingleObject(setter, 5000);
    ::CloseHandle(setter);
    EXPECT_EQ(staysSeen, 1);
    EXPECT_EQ(pulsesSeen, 3);
    EXPECT_FALSE(app.Watches(stays.Get()));
    app.UnwatchObject(pulses.Get());
    EXPECT_EQ(log, (std::vector<std::string>{"window pre", "window key", "window pre", "window key",
                                             "window pre", "window key"}))
        << "the messages posted by the handlers, in the loop, up to the quit";
}

// One object that cannot be waited on (a handle without SYNCHRONIZE) fails the whole wait:
// it alone is let go, and the other objects are still waited on.
TEST_F(AppTest, AnObjectThatCannotBeWaitedOnIsDroppedAlone) {
    TestApp app(TextKind::Narrow);
    framework::UniqueKernelHandle event(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ASSERT_TRUE(event);
    HANDLE unwaitable = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), event.Get(), ::GetCurrentProcess(),
                                  &unwaitable, EVENT_MODIFY_STATE, FALSE, 0));
    const framework::UniqueKernelHandle unwaitableOwner(unwaitable);
    framework::UniqueKernelHandle good(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ASSERT_TRUE(good);
    int unwaitableSeen = 0;
    ASSERT_TRUE(app.WatchObject(unwaitable, [&] { ++unwaitableSeen; }));
    ASSERT_TRUE(app.WatchObject(good.Get(), [] { ::PostQuitMessage(4); }));
    // Insurance: a loop that gave up on every object would otherwise wait for ever.
    app.ScheduleTick(&app, 3000, 0, [] { ::PostQuitMessage(9); });
    ::SetEvent(good.Get());
    EXPECT_EQ(app.Run(), 4);
    app.CancelTick(&app);
    EXPECT_EQ(unwaitableSeen, 0);
    EXPECT_FALSE(app.Watches(unwaitable));
    EXPECT_TRUE(app.Watches(good.Get()));
    app.UnwatchObject(good.Get());
}

// The tick repeats until stopped, from the loop alone; a stopped timer no longer ends the wait,
// and its destruction leaves nothing watched.
TEST_F(AppTest, PeriodicTimerTicksFromTheLoopUntilStopped) {
    TestApp app(TextKind::Narrow);
    int ticks = 0;
    framework::PeriodicTimer timer;
    EXPECT_FALSE(timer.Start(0, [] {})) << "a zero period is refused";
    ASSERT_TRUE(timer.Start(20, [&] {
        if (++ticks == 3) {
            timer.Stop();
            ::PostQuitMessage(6);
        }
    }));
    EXPECT_EQ(app.Run(), 6);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer.Running());
    {
        framework::PeriodicTimer gone;
        ASSERT_TRUE(gone.Start(10, [&] { ++ticks; }));
    }
    ::Sleep(50);
    ::PostQuitMessage(7);
    EXPECT_EQ(app.Run(), 7) << "a destroyed timer's handler must not run";
    EXPECT_EQ(ticks, 3);
}

// A window that posts itself another message at every one: the queue is never empty.
class Busy : public Window {
public:
    static constexpr UINT kAgain = WM_APP + 20;
    int seen = 0;
    bool stop = false; // WM_QUIT comes only once no other message waits

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kAgain) {
            // A bound, so that a loop that never ticks ends the test instead of hanging it.
            if (++seen == 200000) {
                ::PostQuitMessage(1);
            } else if (!stop) {
                ::PostMessageA(Hwnd(), kAgain, 0, 0);
            }
            return 0;
        }
        return Window::WindowProc(message, wParam, lParam);
    }
};

// Ticks are served while messages keep coming, not only when the loop's wait runs out.
TEST_F(AppTest, PeriodicTimerTicksThroughAStreamOfMessages) {
    TestApp app(TextKind::Narrow);
    Busy busy;
    ASSERT_TRUE(busy.Create(fwtest::kNarrowClass, "busy", {.style = WS_POPUP}));
    ::PostMessageA(busy.Hwnd(), Busy::kAgain, 0, 0);
    int ticks = 0;
    framework::PeriodicTimer timer;
    ASSERT_TRUE(timer.Start(10, [&] {
        if (++ticks == 2) {
            busy.stop = true;
            ::PostQuitMessage(4);
        }
    }));
    EXPECT_EQ(app.Run(), 4) << busy.seen << " messages and no second tick";
    busy.Destroy();
}

TEST_F(AppTest, FailedStartRunsExitInstanceWithoutTheLoop) {
    TestApp app(TextKind::Wide);
    app.start = false;
    ::PostQuitMessage(9); // would end a loop that should not run
    EXPECT_EQ(app.Execute(), Application::kInitFailed);
    EXPECT_EQ(app.exits, 1);
    MSG quit;
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(AppTest, DestroyingTheMainWindowEndsTheProgram) {
    TestApp app(TextKind::Wide);
    EXPECT_EQ(Application::Current(), &app);
    Logged frame(log, "frame");
    ASSERT_TRUE(frame.Create(fwtest::kWideClass, L"frame", {.style = WS_POPUP}));
    app.mainWindow = &frame;
    EXPECT_EQ(app.Execute(), 0);
    EXPECT_EQ(app.exits, 1);
    EXPECT_EQ(frame.Hwnd(), nullptr);
    EXPECT_EQ(app.MainWindow(), nullptr);
}

TEST_F(AppTest, CommandLineIsWhatFollowsTheProgramName) {
    TestApp app(TextKind::Narrow);
    const std::string whole = ::GetCommandLineA();
    const std::string tail = app.CommandLineA();
    ASSERT_LE(tail.size(), whole.size());
    EXPECT_EQ(whole.substr(whole.size() - tail.size()), tail);
    EXPECT_EQ(tail.find("framework_tests"), std::string::npos) << tail;
    if (whole.find(" --gtest") != std::string::npos) { // as the test run starts us
        EXPECT_EQ(tail.rfind("--gtest", 0), 0u) << tail;
        EXPECT_EQ(std::wstring(app.CommandLineW()).rfind(L"--gtest", 0), 0u);
    }
}

// Owner of the test menu: checks the first command, greys the second, and notes the states
// the menu had when the system announced it, just before it shows.
class MenuOwner : public Window {
public:
    std::vector<UINT> statesAtPopup;
    int updates = 0;

    void OnUpdateCommand(CommandState& state) override {
        ++updates;
        if (state.Id() == IDM_FW_FIRST) {
            state.SetCheck();
        } else if (state.Id() == IDM_FW_SECOND) {
            state.Enable(false);
        }
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ENTERIDLE) {
            ::EndMenu();
        }
        const LRESULT result = Window::WindowProc(message, wParam, lParam);
        if (message == WM_INITMENUPOPUP && statesAtPopup.empty()) {
            const auto menu = reinterpret_cast<HMENU>(wParam);
            for (UINT id : {IDM_FW_FIRST, IDM_FW_SECOND, IDM_FW_LEFT_ALONE}) {
                statesAtPopup.push_back(::GetMenuState(menu, id, MF_BYCOMMAND));
            }
        }
        return result;
    }
    void OnTimer(UINT_PTR) override { ::EndMenu(); }
};

TEST_F(AppTest, TrackedMenuHasItsStatesBeforeItShowsAndAFollowingMessage) {
    TestApp app(TextKind::Narrow);
    MenuOwner owner;
    ASSERT_TRUE(owner.Create(fwtest::kNarrowClass, "owner", {.style = WS_POPUP}));
    app.SetMainWindow(&owner);
    Menu menu = Menu::Load(IDR_FW_MENU);
    ASSERT_TRUE(menu);
    const HMENU popup = menu.SubMenu(0);
    owner.SetTimer(1, 1000); // ends the menu should the idle message not come

    Menu::Track(popup, owner, POINT{20, 20});
    EXPECT_EQ(owner.updates, 3) << "each command item of the pop-up asked once";
    ASSERT_EQ(owner.statesAtPopup.size(), 3u);
    EXPECT_EQ(owner.statesAtPopup[0] & (MF_CHECKED | MF_GRAYED), static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(owner.statesAtPopup[1] & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(owner.statesAtPopup[2] & MF_GRAYED, static_cast<UINT>(MF_GRAYED))
        << "a state the owner does not set stays";
    MSG null;
    EXPECT_TRUE(::PeekMessageW(&null, owner.Hwnd(), WM_NULL, WM_NULL, PM_REMOVE));
    // A nested pop-up gets its states as it opens.
    owner.Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(::GetSubMenu(popup, 3)), 3);
    EXPECT_EQ(::GetMenuState(popup, IDM_FW_NESTED, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED))
        << "the application decides what the main window leaves open, in pop-ups too";
    app.SetMainWindow(nullptr);
}

TEST_F(AppTest, MenuShownBySomeoneElseGetsItsStatesOnInitMenuPopup) {
    MenuOwner owner;
    ASSERT_TRUE(owner.Create(fwtest::kNarrowClass, "owner", {.style = WS_POPUP}));
    Menu menu = Menu::Load(IDR_FW_MENU);
    const HMENU popup = menu.SubMenu(0);
    owner.Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_EQ(::GetMenuState(popup, IDM_FW_FIRST, MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(::GetMenuState(popup, IDM_FW_SECOND, MF_BYCOMMAND) & MF_GRAYED,
              static_cast<UINT>(MF_GRAYED));

    const int updates = owner.updates;
    owner.Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, TRUE));
    EXPECT_EQ(owner.updates, updates) << "the window menu's commands are the system's";
    EXPECT_FALSE(Menu::Load(9999));
}

TEST_F(AppTest, MainWindowPassesUnhandledMenuCommandsToTheApplication) {
    TestApp app(TextKind::Narrow);
    Logged frame(log, "frame");
    ASSERT_TRUE(frame.Create(fwtest::kNarrowClass, "frame", {.style = WS_POPUP}));
    frame.Send(WM_COMMAND, MAKEWPARAM(57664, 0), 0);
    EXPECT_TRUE(app.commands.empty()) << "only the main window routes to the application";
    app.SetMainWindow(&frame);
    frame.Send(WM_COMMAND, MAKEWPARAM(57664, 0), 0);
    EXPECT_EQ(app.commands, std::vector<UINT>{57664});
    app.SetMainWindow(nullptr);
}

} // namespace
