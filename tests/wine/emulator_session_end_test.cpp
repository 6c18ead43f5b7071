// What Restart and Shut Down do under Wine, which the switcher's end-to-end tests rely on: run
// in a fresh prefix, ExitWindowsEx ends the windowed programs of that prefix only (after
// WM_QUERYENDSESSION and WM_ENDSESSION), leaves console programs running, and a restart runs
// the RunOnce entries at once while a power-off does not.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kRunOnce[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr wchar_t kRunOnceValue[] = L"SessionEndProbe";

std::wstring Beside(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    ::DeleteFileW(path.c_str());
    return path;
}

std::string FileText(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    char buffer[4096];
    DWORD got = 0;
    ::ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    ::CloseHandle(file);
    return std::string(buffer, got);
}

HANDLE Start(const std::wstring& arguments) {
    std::wstring command = L"\"" + Beside(L"SessionEndProbe.exe") + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return nullptr;
    }
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

bool WaitFor(const std::wstring& path, const char* text, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        if (FileText(path).find(text) != std::string::npos) {
            return true;
        }
        ::Sleep(100);
    }
    return false;
}

void SetRunOnce(const std::wstring& marker) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunOnce, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring command = L"\"" + Beside(L"SessionEndProbe.exe") + L"\" --mark " + marker;
    ::RegSetValueExW(key, kRunOnceValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

void ClearRunOnce() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunOnce, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueW(key, kRunOnceValue);
        ::RegCloseKey(key);
    }
}

struct Outcome {
    std::string watchLog;
    bool watcherEnded = false;
    DWORD exitCode = 99;
    bool marked = false;
};

Outcome EndSession(const wchar_t* flags, const wchar_t* tag) {
    Outcome outcome;
    const std::wstring log = TempFile((std::wstring(L"watch-") + tag + L".log").c_str());
    const std::wstring marker = TempFile((std::wstring(L"mark-") + tag + L".log").c_str());
    SetRunOnce(marker);
    HANDLE watcher = Start(L"--watch " + log);
    EXPECT_NE(watcher, nullptr);
    EXPECT_TRUE(WaitFor(log, "ready", 10000));

    HANDLE exiter = Start(std::wstring(L"--exit ") + flags);
    EXPECT_NE(exiter, nullptr);
    EXPECT_EQ(::WaitForSingleObject(exiter, 20000), WAIT_OBJECT_0);
    ::GetExitCodeProcess(exiter, &outcome.exitCode);
    ::CloseHandle(exiter);

    outcome.watcherEnded = ::WaitForSingleObject(watcher, 20000) == WAIT_OBJECT_0;
    ::CloseHandle(watcher);
    outcome.marked = WaitFor(marker, "marked", 5000);
    outcome.watchLog = FileText(log);
    ClearRunOnce();
    return outcome;
}

TEST(SessionEnd, PowerOffEndsTheWindowedProgramsOfThePrefix) {
    const Outcome outcome = EndSession(L"0x18", L"poweroff"); // EWX_POWEROFF | EWX_FORCEIFHUNG
    EXPECT_EQ(outcome.exitCode, 0u) << "ExitWindowsEx failed";
    EXPECT_TRUE(outcome.watcherEnded);
    const std::size_t query = outcome.watchLog.find("WM_QUERYENDSESSION");
    const std::size_t end = outcome.watchLog.find("WM_ENDSESSION TRUE");
    EXPECT_NE(query, std::string::npos) << outcome.watchLog;
    EXPECT_NE(end, std::string::npos) << outcome.watchLog;
    EXPECT_LT(query, end);
    EXPECT_EQ(outcome.watchLog.find("left on its own"), std::string::npos);
    EXPECT_FALSE(outcome.marked) << "a power-off runs no restart tasks";
}

TEST(SessionEnd, RestartAlsoRunsTheRestartTasks) {
    const Outcome outcome = EndSession(L"0x12", L"reboot"); // EWX_REBOOT | EWX_FORCEIFHUNG
    EXPECT_EQ(outcome.exitCode, 0u) << "ExitWindowsEx failed";
    EXPECT_TRUE(outcome.watcherEnded);
    EXPECT_NE(outcome.watchLog.find("WM_ENDSESSION TRUE"), std::string::npos) << outcome.watchLog;
    EXPECT_TRUE(outcome.marked) << "RunOnce did not run";
}

} // namespace
