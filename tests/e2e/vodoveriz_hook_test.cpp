// The notebook's keyboard-hook library as the tray program binds it: loaded by name, entry
// points looked up, keys injected through the system's input queue.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EmulatorTestSupport.h"
#include "emulator/vodoveriz/VodovEriz.h"

using emulator_test::JournalWatch;

namespace {

constexpr UINT kHookNotify = 0x8032;
constexpr DWORD kSettleMs = 300;
constexpr DWORD kWorkerLimitMs = 5000;

struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

DWORD WINAPI InjectKey(LPVOID parameter) {
    const auto vk = static_cast<WORD>(reinterpret_cast<UINT_PTR>(parameter));
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = vk;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return ::SendInput(2, input, sizeof(INPUT));
}

class KeyboardHook : public ::testing::Test {
protected:
    void SetUp() override {
        library_ = ::LoadLibraryA("VodovEriz.dll");
        ASSERT_NE(library_, nullptr) << "VodovEriz.dll is not installed in system32";
        start_ = reinterpret_cast<notebook::KeyboardHookStartFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(library_, "KeyboardHook_Start")));
        stop_ = reinterpret_cast<notebook::KeyboardHookStopFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(library_, "KeyboardHook_Stop")));
        ASSERT_NE(start_, nullptr);
        ASSERT_NE(stop_, nullptr);
        window_ = ::CreateWindowExA(0, "STATIC", "hook target", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (stop_ != nullptr) {
            stop_();
        }
        if (window_ != nullptr) {
            ::DestroyWindow(window_);
        }
        if (library_ != nullptr) {
            ::FreeLibrary(library_);
        }
    }

    // Presses and releases a key from another thread while this one, which owns the hook,
    // keeps taking messages: a low-level hook runs only when its thread does. Returns what
    // reached the window with a message number of the hook's kind.
    std::vector<Posted> Press(DWORD vk) {
        HANDLE worker = ::CreateThread(
            nullptr, 0, InjectKey, reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(vk)), 0, nullptr);
        EXPECT_NE(worker, nullptr);
        std::vector<Posted> posted;
        const DWORD begin = ::GetTickCount();
        DWORD workerDone = 0;
        while (::GetTickCount() - begin < kWorkerLimitMs) {
            MSG message;
            while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.hwnd == window_ && message.message >= WM_APP) {
                    posted.push_back({message.message, message.wParam, message.lParam});
                } else {
                    ::DispatchMessageA(&message);
                }
            }
            if (workerDone == 0 && ::WaitForSingleObject(worker, 0) == WAIT_OBJECT_0) {
                workerDone = ::GetTickCount();
            }
            if (workerDone != 0 && ::GetTickCount() - workerDone > kSettleMs) {
                break;
            }
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        DWORD injected = 0;
        ::GetExitCodeThread(worker, &injected);
        EXPECT_EQ(injected, 2u) << "SendInput did not take both key events";
        ::CloseHandle(worker);
        return posted;
    }

    HMODULE library_ = nullptr;
    notebook::KeyboardHookStartFn start_ = nullptr;
    notebook::KeyboardHookStopFn stop_ = nullptr;
    HWND window_ = nullptr;
};

} // namespace

TEST_F(KeyboardHook, FnKeyPressAndReleaseArePostedToTheWindow) {
    JournalWatch journal;
    ASSERT_NE(start_(window_, kHookNotify), 0);
    const auto posted = Press(notebook::kFnVirtualKey);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].message, kHookNotify);
    EXPECT_EQ(posted[0].wParam, notebook::kFnVirtualKey);
    EXPECT_EQ(posted[0].lParam, WM_KEYDOWN);
    EXPECT_EQ(posted[1].message, kHookNotify);
    EXPECT_EQ(posted[1].lParam, WM_KEYUP);

    const auto keys = journal.Entries("VodovEriz", "FnKey");
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].arguments, "key=down message=0x00008032 injected=TRUE");
    EXPECT_EQ(keys[0].result, "posted");
    EXPECT_EQ(keys[1].arguments, "key=up message=0x00008032 injected=TRUE");
}

TEST_F(KeyboardHook, OtherKeysAreLeftAlone) {
    JournalWatch journal;
    ASSERT_NE(start_(window_, kHookNotify), 0);
    EXPECT_TRUE(Press(VK_F24).empty());
    EXPECT_TRUE(Press(VK_LAUNCH_APP2).empty());
    EXPECT_TRUE(journal.Entries("VodovEriz", "FnKey").empty());
}

TEST_F(KeyboardHook, StartingAgainReplacesTheHookSoOnlyOneRuns) {
    JournalWatch journal;
    ASSERT_NE(start_(window_, kHookNotify), 0);
    ASSERT_NE(start_(window_, kHookNotify + 1), 0);
    const auto posted = Press(notebook::kFnVirtualKey);
    ASSERT_EQ(posted.size(), 2u); // one hook: one message per key event
    for (const Posted& p : posted) {
        EXPECT_EQ(p.message, kHookNotify + 1);
    }
    const auto starts = journal.Entries("VodovEriz", "KeyboardHook_Start");
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].arguments, "window=set message=0x00008032");
    EXPECT_EQ(starts[1].arguments, "window=set message=0x00008033 replaced=TRUE");
    EXPECT_EQ(starts[1].result, "1");
}

TEST_F(KeyboardHook, StopRemovesTheHookAndReportsWhetherOneRan) {
    JournalWatch journal;
    ASSERT_NE(start_(window_, kHookNotify), 0);
    EXPECT_EQ(stop_(), 1);
    EXPECT_EQ(stop_(), 0);
    EXPECT_TRUE(Press(notebook::kFnVirtualKey).empty());
    const auto stops = journal.Entries("VodovEriz", "KeyboardHook_Stop");
    ASSERT_EQ(stops.size(), 2u);
    EXPECT_EQ(stops[0].result, "1");
    EXPECT_EQ(stops[1].result, "0 running=FALSE");
}

TEST_F(KeyboardHook, StartWithoutAWindowInstallsNothing) {
    JournalWatch journal;
    EXPECT_EQ(start_(nullptr, kHookNotify), 0);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(stop_(), 0);
    const auto start = journal.Last("VodovEriz", "KeyboardHook_Start");
    EXPECT_EQ(start.arguments, "window=null message=0x00008032");
    EXPECT_EQ(start.result, "0 error=1400");
}

TEST_F(KeyboardHook, AWindowThatWentAwayLosesTheKeysWithoutHarm) {
    ASSERT_NE(start_(window_, kHookNotify), 0);
    ::DestroyWindow(window_);
    window_ = nullptr;
    JournalWatch journal;
    EXPECT_TRUE(Press(notebook::kFnVirtualKey).empty());
    const auto keys = journal.Entries("VodovEriz", "FnKey");
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].result.rfind("lost error=", 0), 0u) << keys[0].result;
}
