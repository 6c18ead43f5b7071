// The tray's log file and trace lines, and its hold on the hot-key library: a missing library,
// a library without the entry points, and a stand-in that records its calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "tray/CDebugLog.h"
#include "tray/libraries/KeyboardHookLib.h"
#include "framework/Trace.h"

using tray::CDebugLog;
using tray::KeyboardHookLib;

namespace {

std::string TempPath(const char* name) {
    char directory[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + name;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class DebugLog : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = TempPath("HalvikDebugLogTest.txt");
        ::DeleteFileA(path_.c_str());
    }
    void TearDown() override {
        while (CDebugLog::Holders() > 0) {
            CDebugLog::Release();
        }
        ::DeleteFileA(path_.c_str());
    }
    const char* Path() const { return path_.c_str(); }

private:
    std::string path_;
};

const std::regex kStamp(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2} - )");

} // namespace

TEST_F(DebugLog, LinesCarryTheLocalTimeAndBecomeCrLfInTheFile) {
    CDebugLog* log = CDebugLog::Acquire(Path());
    ASSERT_NE(log, nullptr);
    log->WriteLine("Set active scheme %d.\n", 6);
    log->WriteLine("no line end");
    CDebugLog::Release();

    const std::string text = ReadAll(Path());
    EXPECT_TRUE(std::regex_match(
        text, std::regex(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2} - Set active scheme 6\.\r\n)"
                         R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2} - no line end)")))
        << text;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char year[8];
    std::snprintf(year, sizeof year, "%4d/", now.wYear);
    EXPECT_EQ(text.rfind(year, 0), 0u) << text;
}

TEST_F(DebugLog, TheFileIsAppendedToAndNeverTruncated) {
    ASSERT_NE(CDebugLog::Acquire(Path()), nullptr);
    CDebugLog::Current()->WriteLine("first\n");
    CDebugLog::Release();
    ASSERT_NE(CDebugLog::Acquire(Path()), nullptr);
    CDebugLog::Current()->WriteLine("second\n");
    CDebugLog::Release();
    const std::string text = ReadAll(Path());
    EXPECT_NE(text.find("first\r\n"), std::string::npos);
    EXPECT_GT(text.find("second\r\n"), text.find("first\r\n"));
}

TEST_F(DebugLog, OneSharedInstanceLivesWhileItIsHeld) {
    CDebugLog* first = CDebugLog::Acquire(Path());
    CDebugLog* second = CDebugLog::Acquire("Z:\\nowhere\\ignored.txt");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(CDebugLog::Holders(), 2);
    CDebugLog::Release();
    EXPECT_EQ(CDebugLog::Current(), first);
    CDebugLog::Release();
    EXPECT_EQ(CDebugLog::Current(), nullptr);
    EXPECT_EQ(CDebugLog::Holders(), 0);
    // A release without a holder changes nothing.
    CDebugLog::Release();
    EXPECT_EQ(CDebugLog::Holders(), 0);
}

TEST_F(DebugLog, OthersMayReadButNotWriteWhileItIsOpen) {
    ASSERT_NE(CDebugLog::Acquire(Path()), nullptr);
    const HANDLE writer = ::CreateFileA(Path(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    const HANDLE reader = ::CreateFileA(Path(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) {
        ::CloseHandle(reader);
    }
    if (writer != INVALID_HANDLE_VALUE) {
        ::CloseHandle(writer);
    }
}

TEST_F(DebugLog, AFileThatCannotBeOpenedLeavesNoInstance) {
    EXPECT_EQ(CDebugLog::Acquire("Z:\\no\\such\\directory\\DebugLog.txt"), nullptr);
    EXPECT_EQ(CDebugLog::Current(), nullptr);
    EXPECT_EQ(CDebugLog::Holders(), 0);
    {
        CDebugLog::Holder holder("Z:\\no\\such\\directory\\DebugLog.txt");
        EXPECT_FALSE(holder.Held());
        framework::Trace("TvPMTray: nowhere to log.\n");
    }
    EXPECT_EQ(CDebugLog::Holders(), 0);
}

TEST_F(DebugLog, LongTextIsCutTo779BytesNeverWrittenPast) {
    ASSERT_NE(CDebugLog::Acquire(Path()), nullptr);
    const std::string longText(5000, 'x');
    CDebugLog::Current()->WriteLine("%s", longText.c_str());
    CDebugLog::Release();
    const std::string text = ReadAll(Path());
    EXPECT_EQ(text.size(), tray::kLogLineSize - 1);
    EXPECT_TRUE(std::regex_search(text, kStamp));
    EXPECT_EQ(text.back(), 'x');
}

TEST_F(DebugLog, TraceLinesReachTheLogWhileItIsHeld) {
    {
        CDebugLog::Holder holder(Path());
        ASSERT_TRUE(holder.Held());
        framework::Trace("TvPMTray: SpeedStep Support: %d\n", 128);
        framework::TraceText("[Velmora][CBrightnessLevel] SetBrightnessLevel 0x1\n");
    }
    EXPECT_EQ(CDebugLog::Holders(), 0);
    framework::Trace("TvPMTray: after the log is gone.\n");
    const std::string text = ReadAll(Path());
    EXPECT_NE(text.find(" - TvPMTray: SpeedStep Support: 128\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" - [Velmora][CBrightnessLevel] SetBrightnessLevel 0x1\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("after the log"), std::string::npos);
}

TEST(TraceFacility, AHugeLineIsCutNotOverrun) {
    const std::string huge(70000, 'y');
    framework::Trace("%s%s", huge.c_str(), huge.c_str());
    framework::TraceText(nullptr);
}

namespace {

using StubCallsFn = const char*(__cdecl*)();
using StubResetFn = void(__cdecl*)(int startResult);

// The stand-in library, loaded beside the hook library's holder so that its call record can
// be read and reset.
class HookStub {
public:
    HookStub() : module_(::LoadLibraryA(TRAY_HOOK_STUB)) {
        calls_ = framework::ProcAddress<StubCallsFn>(module_.Get(), "StubCalls");
        reset_ = framework::ProcAddress<StubResetFn>(module_.Get(), "StubReset");
    }
    bool Ready() const { return calls_ != nullptr && reset_ != nullptr; }
    std::string Calls() const { return calls_(); }
    void Reset(int startResult) const { reset_(startResult); }

private:
    framework::UniqueModule module_;
    StubCallsFn calls_ = nullptr;
    StubResetFn reset_ = nullptr;
};

// The window a hook is started for; the stand-in checks that it is a real one.
class TestWindow {
public:
    TestWindow()
        : hwnd_(::CreateWindowExA(0, "STATIC", "hook", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr)) {}
    ~TestWindow() { ::DestroyWindow(hwnd_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Get() const { return hwnd_; }

private:
    HWND hwnd_;
};

} // namespace

TEST(KeyboardHook, AMissingLibraryKeepsItsLoadErrorAndDoesNothing) {
    const TestWindow window;
    KeyboardHookLib hook("NoSuchHotKeyLibrary.dll");
    EXPECT_FALSE(hook.Loaded());
    EXPECT_EQ(hook.LoadError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(hook.Start(window.Get(), 0x8032));
    EXPECT_FALSE(hook.Running());
    EXPECT_FALSE(hook.Stop());
}

TEST(KeyboardHook, MissingEntryPointsAreSkipped) {
    const TestWindow window;
    KeyboardHookLib hook("version.dll");
    ASSERT_TRUE(hook.Loaded());
    EXPECT_EQ(hook.LoadError(), 0u);
    EXPECT_FALSE(hook.Start(window.Get(), 0x8032));
    EXPECT_FALSE(hook.Running());
    EXPECT_FALSE(hook.Stop());
}

TEST(KeyboardHook, StartingARunningHookStopsItFirst) {
    const TestWindow window;
    HookStub stub;
    ASSERT_TRUE(stub.Ready()) << TRAY_HOOK_STUB;
    stub.Reset(1);
    KeyboardHookLib hook(TRAY_HOOK_STUB);
    ASSERT_TRUE(hook.Loaded());

    EXPECT_TRUE(hook.Start(window.Get(), 0x8032));
    EXPECT_TRUE(hook.Running());
    EXPECT_TRUE(hook.Start(window.Get(), 0x8032));
    EXPECT_EQ(stub.Calls(), "start;stop;start;");

    EXPECT_TRUE(hook.Stop());
    EXPECT_FALSE(hook.Running());
    // A stop with nothing running still asks the library, which answers for itself.
    hook.Stop();
    EXPECT_EQ(stub.Calls(), "start;stop;start;stop;stop;");
}

TEST(KeyboardHook, ARefusedStartLeavesNothingRunning) {
    const TestWindow window;
    HookStub stub;
    ASSERT_TRUE(stub.Ready());
    stub.Reset(0);
    KeyboardHookLib hook(TRAY_HOOK_STUB);
    EXPECT_FALSE(hook.Start(window.Get(), 0x8032));
    EXPECT_FALSE(hook.Running());
    // Nothing ran, so the next start does not stop first.
    EXPECT_FALSE(hook.Start(window.Get(), 0x8032));
    EXPECT_EQ(stub.Calls(), "start;start;");
}
