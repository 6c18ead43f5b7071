// Window objects on real windows: creation and subclassing with both text kinds, dispatch,
// reflection to child objects, destruction and contained exceptions.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Window.h"
#include "framework_test_support.h"

using framework::CreateOptions;
using framework::Window;

namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kThrow = WM_APP + 2;
constexpr UINT kDestroySelf = WM_APP + 3;

// Records what reaches it; a few messages can be told to misbehave.
class Recorder : public Window {
public:
    std::vector<UINT> seen;
    std::vector<std::string> events;
    std::string narrowText;
    std::wstring wideText;
    bool refuseCreate = false;
    bool throwOnCreate = false;
    Window* nested = nullptr;
    int postNcDestroyCalls = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        switch (message) {
        case WM_CREATE:
            if (throwOnCreate) {
                throw std::runtime_error("create");
            }
            if (nested != nullptr) {
                nested->Create(fwtest::kNarrowClass, "inner", {.style = WS_POPUP});
            }
            return refuseCreate ? -1 : 0;
        case WM_SETTEXT:
            if (IsUnicode()) {
                wideText = reinterpret_cast<const wchar_t*>(lParam);
            } else {
                narrowText = reinterpret_cast<const char*>(lParam);
            }
            break;
        case WM_DESTROY:
            events.push_back("destroy");
            break;
        case kPing:
            return 42;
        case kThrow:
            if (wParam == 0) {
                throw std::runtime_error("handler");
            }
            throw 7;
        case kDestroySelf:
            ::DestroyWindow(Hwnd());
            events.push_back("handler end");
            return 1;
        default:
            break;
        }
        return Window::WindowProc(message, wParam, lParam);
    }
    void OnTimer(UINT_PTR id) override { events.push_back("timer " + std::to_string(id)); }
    void PostNcDestroy() override {
        ++postNcDestroyCalls;
        events.push_back("post");
    }
};

// Deletes itself in PostNcDestroy; tells whether that happened while its own handler ran.
class SelfDeleting : public Window {
public:
    SelfDeleting(bool& deleted, bool& deletedDuringHandler)
        : deleted_(deleted), deletedDuringHandler_(deletedDuringHandler) {}
    ~SelfDeleting() override { deleted_ = true; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kDestroySelf) {
            ::DestroyWindow(Hwnd());
            deletedDuringHandler_ = deleted_;
            return 0;
        }
        return Window::WindowProc(message, wParam, lParam);
    }
    void PostNcDestroy() override { delete this; }

private:
    bool& deleted_;
    bool& deletedDuringHandler_;
};

// Windows need the session's display; without it every test here would fail for that one reason.
class DisplayCheck : public ::testing::Environment {
public:
    void SetUp() override {
        const HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                             nullptr, nullptr, nullptr);
        ASSERT_NE(probe, nullptr) << "no window can be created: the Wine desktop of this "
                                     "session has no display driver";
        ::DestroyWindow(probe);
    }
};

const auto* const kDisplayCheck = ::testing::AddGlobalTestEnvironment(new DisplayCheck);

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { fwtest::RegisterTestClasses(); }
};

std::size_t IndexOf(const std::vector<UINT>& seen, UINT message) {
    for (std::size_t i = 0; i < seen.size(); ++i) {
        if (seen[i] == message) {
            return i;
        }
    }
    return seen.size();
}

TEST_F(WindowTest, CreationSeesEveryMessageWithTheClassesTextKind) {
    Recorder narrow;
    ASSERT_TRUE(narrow.Create(fwtest::kNarrowClass, "narrow", {.style = WS_OVERLAPPED}));
    EXPECT_EQ(Window::FromHandle(narrow.Hwnd()), &narrow);
    EXPECT_LT(IndexOf(narrow.seen, WM_NCCREATE), IndexOf(narrow.seen, WM_CREATE));
    EXPECT_LT(IndexOf(narrow.seen, WM_CREATE), narrow.seen.size());
    EXPECT_FALSE(::IsWindowUnicode(narrow.Hwnd()));
    ::SetWindowTextA(narrow.Hwnd(), "abc");
    EXPECT_EQ(narrow.narrowText, "abc");
    EXPECT_EQ(narrow.Send(kPing), 42);

    Recorder wide;
    ASSERT_TRUE(wide.Create(fwtest::kWideClass, L"wide", {.style = WS_OVERLAPPED}));
    EXPECT_TRUE(::IsWindowUnicode(wide.Hwnd()));
    ::SetWindowTextW(wide.Hwnd(), L"\x03A9mega");
    EXPECT_EQ(wide.wideText, L"\x03A9mega");
}

TEST_F(WindowTest, CreationRefusedOrFailingLeavesNoWindow) {
    Recorder refused;
    refused.refuseCreate = true;
    EXPECT_FALSE(refused.Create(fwtest::kNarrowClass, "x", {.style = WS_POPUP}));
    EXPECT_EQ(refused.Hwnd(), nullptr);
    EXPECT_EQ(refused.postNcDestroyCalls, 1);

    Recorder throwing;
    throwing.throwOnCreate = true;
    EXPECT_FALSE(throwing.Create(fwtest::kNarrowClass, "x", {.style = WS_POPUP}));
    EXPECT_EQ(throwing.Hwnd(), nullptr);

    Recorder noClass;
    EXPECT_FALSE(noClass.Create("NoSuchClassAnywhere", "x", {.style = WS_POPUP}));
    EXPECT_EQ(noClass.seen.size(), 0u);
}

TEST_F(WindowTest, MessageOnlyAndNestedCreation) {
    Recorder inner;
    Recorder outer;
    outer.nested = &inner;
    ASSERT_TRUE(outer.Create(fwtest::kWideClass, L"outer", {.parent = HWND_MESSAGE}));
    ASSERT_NE(inner.Hwnd(), nullptr);
    EXPECT_NE(inner.Hwnd(), outer.Hwnd());
    EXPECT_EQ(Window::FromHandle(outer.Hwnd()), &outer);
    EXPECT_EQ(Window::FromHandle(inner.Hwnd()), &inner);
    EXPECT_EQ(outer.Send(kPing), 42);
    EXPECT_EQ(inner.Send(kPing), 42);
}

TEST_F(WindowTest, SubclassKeepsTheControlsTextKindAndDetachRestores) {
    for (const bool wide : {false, true}) {
        const HWND button = wide ? ::CreateWindowExW(0, L"BUTTON", L"b", WS_POPUP, 0, 0, 50, 20,
                                                     nullptr, nullptr, nullptr, nullptr)
                                 : ::CreateWindowExA(0, "BUTTON", "b", WS_POPUP, 0, 0, 50, 20,
                                                     nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(button, nullptr);
        const LONG_PTR original = wide ? ::GetWindowLongPtrW(button, GWLP_WNDPROC)
                                       : ::GetWindowLongPtrA(button, GWLP_WNDPROC);
        Recorder object;
        ASSERT_TRUE(object.Subclass(button));
        EXPECT_EQ(::IsWindowUnicode(button) != FALSE, wide);
        EXPECT_FALSE(Recorder().Subclass(button)) << "a window has one object";
        EXPECT_EQ(object.Send(kPing), 42);

        EXPECT_EQ(object.Detach(), button);
        EXPECT_EQ(wide ? ::GetWindowLongPtrW(button, GWLP_WNDPROC)
                       : ::GetWindowLongPtrA(button, GWLP_WNDPROC),
                  original);
        const std::size_t before = object.seen.size();
        ::SendMessageW(button, kPing, 0, 0);
        EXPECT_EQ(object.seen.size(), before);
        ::DestroyWindow(button);
    }
}

int gOuterCalls = 0;

// A later subclass on top of ours, as another library might install one.
LRESULT CALLBACK Outer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ++gOuterCalls;
    const auto next = reinterpret_cast<WNDPROC>(::GetPropW(hwnd, L"test.next"));
    return ::CallWindowProcW(next, hwnd, message, wParam, lParam);
}

TEST_F(WindowTest, DetachUnderALaterSubclassKeepsTheWholeChain) {
    const HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr,
                                        nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    {
        Recorder object;
        ASSERT_TRUE(object.Subclass(edit));
        const LONG_PTR ours =
            ::SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Outer));
        ::SetPropW(edit, L"test.next", reinterpret_cast<HANDLE>(ours));
    }
    // The object is gone; the later subclass and the edit control itself still get messages.
    gOuterCalls = 0;
    ::SendMessageW(edit, EM_SETLIMITTEXT, 123, 0);
    EXPECT_EQ(::SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 123);
    EXPECT_EQ(gOuterCalls, 2);
    ::DestroyWindow(edit);
}

TEST_F(WindowTest, DestroyFromOwnHandlerDetachesAfterTheHandler) {
    Recorder window;
    ASSERT_TRUE(window.Create(fwtest::kNarrowClass, "x", {.style = WS_POPUP}));
    const HWND hwnd = window.Hwnd();
    window.Send(kDestroySelf);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(window.Hwnd(), nullptr);
    EXPECT_EQ(Window::FromHandle(hwnd), nullptr);
    EXPECT_EQ(window.events, (std::vector<std::string>{"destroy", "handler end", "post"}));
    EXPECT_EQ(IndexOf(window.seen, WM_NCDESTROY), window.seen.size())
        << "WM_NCDESTROY is the framework's";
}

TEST_F(WindowTest, PostNcDestroyMayDeleteTheObject) {
    bool deleted = false;
    bool deletedDuringHandler = false;
    auto* outside = new SelfDeleting(deleted, deletedDuringHandler);
    ASSERT_TRUE(outside->Create(fwtest::kNarrowClass, "x", {.style = WS_POPUP}));
    ::DestroyWindow(outside->Hwnd());
    EXPECT_TRUE(deleted);

    deleted = false;
    auto* inside = new SelfDeleting(deleted, deletedDuringHandler);
    ASSERT_TRUE(inside->Create(fwtest::kNarrowClass, "x", {.style = WS_POPUP}));
    ::SendMessageW(inside->Hwnd(), kDestroySelf, 0, 0);
    EXPECT_FALSE(deletedDuringHandler) << "deleted under its own running handler";
    EXPECT_TRUE(deleted);
}

TEST_F(WindowTest, ObjectLifetimeEndsItsWindowOrHandsItBack) {
    HWND created = nullptr;
    {
        Recorder window;
        ASSERT_TRUE(window.Create(fwtest::kNarrowClass, "x", {.style = WS_POPUP}));
        created = window.Hwnd();
    }
    EXPECT_FALSE(::IsWindow(created));

    const HWND button = ::CreateWindowExA(0, "BUTTON", "b", WS_POPUP, 0, 0, 50, 20, nullptr,
                                          nullptr, nullptr, nullptr);
    {
        Recorder control;
        ASSERT_TRUE(control.Subclass(button));
    }
    EXPECT_TRUE(::IsWindow(button));
    EXPECT_EQ(Window::FromHandle(button), nullptr);
    ::DestroyWindow(button);
}

TEST_F(WindowTest, ExceptionsInHandlersAreContained) {
    Recorder window;
    ASSERT_TRUE(window.Create(fwtest::kNarrowClass, "x", {.style = WS_POPUP}));
    EXPECT_EQ(window.Send(kThrow, 0), 0);
    EXPECT_EQ(window.Send(kThrow, 1), 0);
    EXPECT_EQ(window.Send(kPing), 42) << "the window keeps working";
}

TEST_F(WindowTest, TimersReachOnTimerUntilKilled) {
    Recorder window;
    ASSERT_TRUE(window.Create(fwtest::kNarrowClass, "x", {.style = WS_POPUP}));
    ASSERT_TRUE(window.SetTimer(7, 10));
    EXPECT_TRUE(fwtest::PumpUntil([&] { return !window.events.empty(); }));
    EXPECT_EQ(window.events.front(), "timer 7");
    EXPECT_TRUE(window.KillTimer(7));
    EXPECT_FALSE(window.KillTimer(7));
    const std::size_t ticks = window.events.size();
    fwtest::PumpFor(60);
    EXPECT_EQ(window.events.size(), ticks);
}

// A parent and a push button, each with an object; the button's object may keep the click.
class Parent : public Window {
public:
    std::vector<UINT> commands;

protected:
    bool OnCommand(UINT id, UINT code, HWND) override {
        commands.push_back(id * 100 + code);
        return true;
    }
};

class Button : public Window {
public:
    bool keep = true;
    int clicks = 0;

protected:
    bool OnReflectedCommand(UINT code) override {
        clicks += code == BN_CLICKED ? 1 : 0;
        return keep;
    }
};

TEST_F(WindowTest, CommandsAreReflectedToTheChildObjectFirst) {
    Parent parent;
    ASSERT_TRUE(parent.Create(fwtest::kNarrowClass, "parent",
                              {.style = WS_POPUP, .width = 200, .height = 100}));
    Button button;
    ASSERT_TRUE(button.Create("BUTTON", "b",
                              {.style = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                               .x = 0,
                               .y = 0,
                               .width = 50,
                               .height = 20,
                               .parent = parent.Hwnd(),
                               .menu = reinterpret_cast<HMENU>(10)}));
    button.Send(BM_CLICK);
    EXPECT_EQ(button.clicks, 1);
    EXPECT_TRUE(parent.commands.empty());

    button.keep = false;
    button.Send(BM_CLICK);
    EXPECT_EQ(button.clicks, 2);
    EXPECT_EQ(parent.commands, std::vector<UINT>{10 * 100 + BN_CLICKED});

    // A menu command carries no control window and is the parent's own.
    parent.Send(WM_COMMAND, MAKEWPARAM(55, 0), 0);
    EXPECT_EQ(parent.commands.back(), 55u * 100);

    // A command whose lParam names a window that is not a child of the parent (a number
    // posted there, say) is not reflected to that window's object.
    Parent other;
    ASSERT_TRUE(other.Create(fwtest::kNarrowClass, "other",
                             {.style = WS_POPUP, .width = 50, .height = 50}));
    Button stranger;
    ASSERT_TRUE(stranger.Create("BUTTON", "s",
                                {.style = WS_CHILD | BS_PUSHBUTTON,
                                 .width = 50,
                                 .height = 20,
                                 .parent = other.Hwnd(),
                                 .menu = reinterpret_cast<HMENU>(11)}));
    stranger.keep = true;
    parent.Send(WM_COMMAND, MAKEWPARAM(12, BN_CLICKED), reinterpret_cast<LPARAM>(stranger.Hwnd()));
    EXPECT_EQ(stranger.clicks, 0);
    EXPECT_EQ(parent.commands.back(), 12u * 100 + BN_CLICKED);
}

} // namespace
