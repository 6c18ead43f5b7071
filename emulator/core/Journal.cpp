#include "Journal.h"

#include <windows.h>

#include <winternl.h>

#include "RegistryValueStore.h"
#include "framework/CriticalSection.h"
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

// The standard information of an open file (NtQueryInformationFile, class 5).
struct FileStandardInformation {
    LARGE_INTEGER allocationSize;
    LARGE_INTEGER endOfFile;
    ULONG numberOfLinks;
    BOOLEAN deletePending;
    BOOLEAN directory;
};
constexpr int kFileStandardInformation = 5;
using QueryInformationFile = LONG(WINAPI*)(HANDLE, PVOID, PVOID, ULONG, int);

// The process's end of the journal: its mutex and the file, opened at the first line and kept
// until the library is unloaded, so that a line costs a wait, a write and a release.
class JournalWriter {
public:
    void Append(const std::string& path, const std::string& line) {
        framework::CriticalSectionLock inProcess(section_);
        if (!mutex_) {
            mutex_.Reset(::CreateMutexA(nullptr, FALSE, kJournalMutex));
        }
        // An abandoned mutex is still ours: its last owner died mid-line at worst.
        const DWORD wait = mutex_ ? ::WaitForSingleObject(mutex_.Get(), kMutexWaitMs) : WAIT_FAILED;
        const bool owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        if (path != path_ || !file_ || Unlinked()) {
            Open(path);
        }
        if (file_) {
            // Another process's line, or a person's truncation, may have moved the end.
            ::SetFilePointer(file_.Get(), 0, nullptr, FILE_END);
            DWORD written = 0;
            ::WriteFile(file_.Get(), line.data(), static_cast<DWORD>(line.size()), &written,
                        nullptr);
        }
        if (owned) {
            ::ReleaseMutex(mutex_.Get());
        }
    }

private:
    void Open(const std::string& path) {
        // Append-only access: every write lands at the end, whoever else has the file open.
        // Not shared for deleting: a file deleted while open lingers until its last handle is
        // closed and then takes every line written meanwhile with it, so a Windows program's
        // delete is refused while a writer has it open.
        file_.Reset(::CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        path_ = file_ ? path : std::string();
    }

    // A file removed from the host (Wine's files are Linux files) would swallow every later
    // line; it is made anew at its path instead.
    bool Unlinked() {
        if (query_ == nullptr) {
            query_ = reinterpret_cast<QueryInformationFile>(reinterpret_cast<void*>(
                ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile")));
            if (query_ == nullptr) {
                return true; // no way to tell: open it again for every line
            }
        }
        FileStandardInformation info{};
        IO_STATUS_BLOCK status{};
        if (query_(file_.Get(), &status, &info, sizeof info, kFileStandardInformation) != 0) {
            return true;
        }
        return info.numberOfLinks == 0;
    }

    framework::CriticalSection section_;
    framework::UniqueKernelHandle mutex_;
    framework::UniqueFile file_;
    std::string path_;
    QueryInformationFile query_ = nullptr;
};

JournalWriter& ProcessJournal() {
    static JournalWriter writer;
    return writer;
}

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
    ProcessJournal().Append(JournalFilePath(), line);
    ::SetLastError(lastError);
}

} // namespace emulator
