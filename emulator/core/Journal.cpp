#include "Journal.h"

#include <windows.h>

#include "RegistryValueStore.h"
#include "framework/UniqueHandle.h"

namespace emulator {

namespace {

// Several processes append to one file; the mutex keeps their lines whole.
constexpr char kJournalMutex[] = "NotebookEmulatorJournal";
constexpr DWORD kMutexWaitMs = 2000;

std::string ExpandEnvironment(const std::string& text) {
    char expanded[MAX_PATH * 2] = {};
    const DWORD size = ::ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof expanded);
    if (size == 0 || size > sizeof expanded) {
        return text;
    }
    return expanded;
}

class MutexLock {
public:
    MutexLock() : mutex_(::CreateMutexA(nullptr, FALSE, kJournalMutex)) {
        if (mutex_) {
            // An abandoned mutex is still ours: its last owner died mid-line at worst.
            const DWORD wait = ::WaitForSingleObject(mutex_.Get(), kMutexWaitMs);
            owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        }
    }
    ~MutexLock() {
        if (owned_) {
            ::ReleaseMutex(mutex_.Get());
        }
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    framework::UniqueKernelHandle mutex_;
    bool owned_ = false;
};

} // namespace

std::string JournalFilePath() {
    RegistryMachine machine;
    const std::string configured = machine.State().JournalPathSetting();
    if (!configured.empty()) {
        return ExpandEnvironment(configured);
    }
    char windows[MAX_PATH] = {};
    const UINT size = ::GetWindowsDirectoryA(windows, MAX_PATH);
    if (size == 0 || size >= MAX_PATH) {
        return std::string("C:\\windows\\") + kDefaultJournalName;
    }
    return std::string(windows) + "\\" + kDefaultJournalName;
}

void JournalCall(const char* library, const char* function, const std::string& arguments,
                 const std::string& result) {
    const DWORD lastError = ::GetLastError();
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const JournalEntry entry{JournalTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                                         now.wSecond, now.wMilliseconds),
                             ::GetCurrentProcessId(),
                             library,
                             function,
                             arguments,
                             result};
    const std::string line = FormatJournalLine(entry);
    const std::string path = JournalFilePath();
    {
        MutexLock lock;
        // Append-only access: every write lands at the end, whoever else has the file open.
        framework::UniqueFile file(::CreateFileA(
            path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            ::SetFilePointer(file.Get(), 0, nullptr, FILE_END);
            DWORD written = 0;
            ::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written,
                        nullptr);
        }
    }
    ::SetLastError(lastError);
}

} // namespace emulator
