#include "DriverSupport.h"

#include <commctrl.h>

#include <cstddef>
#include <cstring>

#include "framework/UniqueHandle.h"

namespace drivers {

namespace {

constexpr int kMessageBoxTextId = 0xFFFF; // the static text of a message box
constexpr UINT kSendTimeoutMs = 2000;

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

bool OwnedByOtherProcess(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid != 0 && pid != ::GetCurrentProcessId();
}

struct WindowSearch {
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    if (ClassOf(window) == search->className && OwnedByOtherProcess(window)) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TopLevelWindows(const char* className) {
    WindowSearch search{className, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    DWORD_PTR length = 0;
    // WM_GETTEXT is copied between processes by the system; a hung owner must not hang us.
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, kSendTimeoutMs, &length);
    return text;
}

std::string Narrow(const wchar_t* text) {
    char narrow[1024] = {};
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

// Memory inside another process for messages whose parameter is a pointer the system does not
// copy between processes (the tooltip messages): the pointer must be valid over there.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, SIZE_T size)
        : process_(process), base_(static_cast<BYTE*>(::VirtualAllocEx(
                                 process, nullptr, size, MEM_COMMIT, PAGE_READWRITE))) {}
    ~RemoteBuffer() {
        if (base_ != nullptr) {
            ::VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    BYTE* At(SIZE_T offset) const { return base_ + offset; }
    bool Valid() const { return base_ != nullptr; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return ::WriteProcessMemory(process_, At(offset), data, size, nullptr) != FALSE;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return ::ReadProcessMemory(process_, At(offset), data, size, nullptr) != FALSE;
    }

private:
    HANDLE process_;
    BYTE* base_;
};

// Every tool of one tooltip window of another process, by its text.
void CollectTips(HWND tooltip, std::vector<std::string>& tips) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(tooltip, &pid);
    HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                       PROCESS_QUERY_INFORMATION,
                                   FALSE, pid);
    if (process == nullptr) {
        return;
    }
    {
        constexpr SIZE_T kTextOffset = 1024;
        constexpr WPARAM kTextChars = 1024;
        RemoteBuffer remote(process, kTextOffset + kTextChars * sizeof(wchar_t));
        DWORD_PTR count = 0;
        ::SendMessageTimeoutW(tooltip, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                              &count);
        for (WPARAM i = 0; remote.Valid() && i < count; ++i) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof info;
            DWORD_PTR found = 0;
            if (!remote.Write(0, &info, sizeof info) ||
                !::SendMessageTimeoutW(tooltip, TTM_ENUMTOOLSW, i,
                                       reinterpret_cast<LPARAM>(remote.At(0)), SMTO_ABORTIFHUNG,
                                       kSendTimeoutMs, &found) ||
                !found || !remote.Read(0, &info, sizeof info)) {
                continue;
            }
            const wchar_t empty = 0;
            remote.Write(kTextOffset, &empty, sizeof empty);
            info.lpszText = reinterpret_cast<LPWSTR>(remote.At(kTextOffset));
            remote.Write(0, &info, sizeof info);
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(tooltip, TTM_GETTEXTW, kTextChars,
                                  reinterpret_cast<LPARAM>(remote.At(0)), SMTO_ABORTIFHUNG,
                                  kSendTimeoutMs, &ignored);
            wchar_t text[kTextChars + 1] = {};
            remote.Read(kTextOffset, text, kTextChars * sizeof(wchar_t));
            // The shell leaves the tooltips of removed icons behind with an empty rectangle.
            if (!::IsRectEmpty(&info.rect)) {
                tips.push_back(Narrow(text));
            }
        }
    }
    ::CloseHandle(process);
}

} // namespace

HWND MakeWindow(const char* className, const char* title, WNDPROC procedure, const RECT& place) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    if (!::RegisterClassA(&windowClass)) {
        return nullptr;
    }
    return ::CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, place.left, place.top,
                             place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                             instance, nullptr);
}

LRESULT DefaultWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void RunMessageLoop() {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

std::int64_t NowMicroseconds() {
    LARGE_INTEGER frequency{}, now{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return now.QuadPart * 1000000 / frequency.QuadPart;
}

HWND WaitForWindow(const char* className, bool wantGone, double seconds, const char* title,
                   DWORD pollMs) {
    const std::int64_t end = NowMicroseconds() + static_cast<std::int64_t>(seconds * 1e6);
    for (;;) {
        HWND window = ::FindWindowA(className, title);
        if ((window != nullptr) != wantGone) {
            return window;
        }
        if (NowMicroseconds() >= end) {
            return window;
        }
        ::Sleep(pollMs);
    }
}

std::vector<BoxReading> MessageBoxes() {
    std::vector<BoxReading> boxes;
    for (HWND window : TopLevelWindows("#32770")) {
        HWND text = ::GetDlgItem(window, kMessageBoxTextId);
        if (text == nullptr || !::IsWindowVisible(window)) {
            continue;
        }
        BoxReading box;
        box.window = window;
        box.caption = TextOf(window);
        box.text = TextOf(text);
        box.topmost = (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        boxes.push_back(box);
    }
    return boxes;
}

bool PopupMenuShown() {
    for (HWND menu : TopLevelWindows("#32768")) {
        if (::IsWindowVisible(menu)) {
            return true;
        }
    }
    return false;
}

std::string Utf8(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

namespace {

// The texts of the items of a common control in another process: the item record and its
// text buffer both live in that process. `ask(i, remote, textAt, chars)` writes the record of
// item i into the remote buffer and sends the control's request for it.
template <typename Ask>
std::vector<std::string> RemoteItemTexts(HWND control, UINT countMessage, Ask ask) {
    std::vector<std::string> texts;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(control, &pid);
    const framework::UniqueKernelHandle process(
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                          PROCESS_QUERY_INFORMATION,
                      FALSE, pid));
    if (!process) {
        return texts;
    }
    constexpr SIZE_T kTextOffset = 256;
    constexpr int kTextChars = 256;
    const RemoteBuffer remote(process.Get(), kTextOffset + kTextChars * sizeof(wchar_t));
    DWORD_PTR count = 0;
    ::SendMessageTimeoutW(control, countMessage, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count);
    for (WPARAM i = 0; remote.Valid() && i < count; ++i) {
        const wchar_t empty = 0;
        wchar_t text[kTextChars + 1] = {};
        if (remote.Write(kTextOffset, &empty, sizeof empty) &&
            ask(i, remote, reinterpret_cast<LPWSTR>(remote.At(kTextOffset)), kTextChars) &&
            remote.Read(kTextOffset, text, kTextChars * sizeof(wchar_t))) {
            texts.push_back(Utf8(text));
        }
    }
    return texts;
}

} // namespace

std::vector<std::string> TabTexts(HWND tabs) {
    return RemoteItemTexts(tabs, TCM_GETITEMCOUNT,
                           [&](WPARAM i, const RemoteBuffer& remote, LPWSTR text, int chars) {
                               TCITEMW item{};
                               item.mask = TCIF_TEXT;
                               item.pszText = text;
                               item.cchTextMax = chars;
                               DWORD_PTR found = 0;
                               return remote.Write(0, &item, sizeof item) &&
                                      ::SendMessageTimeoutW(
                                          tabs, TCM_GETITEMW, i,
                                          reinterpret_cast<LPARAM>(remote.At(0)),
                                          SMTO_ABORTIFHUNG, kSendTimeoutMs, &found) &&
                                      found;
                           });
}

std::vector<std::string> ListViewTexts(HWND list) {
    return RemoteItemTexts(list, LVM_GETITEMCOUNT,
                           [&](WPARAM i, const RemoteBuffer& remote, LPWSTR text, int chars) {
                               LVITEMW item{};
                               item.iSubItem = 0;
                               item.pszText = text;
                               item.cchTextMax = chars;
                               DWORD_PTR length = 0;
                               return remote.Write(0, &item, sizeof item) &&
                                      ::SendMessageTimeoutW(
                                          list, LVM_GETITEMTEXTW, i,
                                          reinterpret_cast<LPARAM>(remote.At(0)),
                                          SMTO_ABORTIFHUNG, kSendTimeoutMs, &length) != 0;
                           });
}

std::vector<std::string> MenuResourceTexts(const char* file, UINT id) {
    std::vector<std::string> texts;
    const HMODULE module = ::LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        return texts;
    }
    if (const HMENU menu = ::LoadMenuW(module, MAKEINTRESOURCEW(id))) {
        const HMENU popup = ::GetSubMenu(menu, 0);
        const int count = popup != nullptr ? ::GetMenuItemCount(popup) : 0;
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            ::GetMenuStringW(popup, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
            texts.push_back(Utf8(text));
        }
        ::DestroyMenu(menu);
    }
    ::FreeLibrary(module);
    return texts;
}

std::vector<std::string> NotificationTips() {
    std::vector<std::string> tips;
    for (HWND tooltip : TopLevelWindows(TOOLTIPS_CLASSA)) {
        CollectTips(tooltip, tips);
    }
    return tips;
}

std::string SystemErrorText(DWORD code) {
    char text[512] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    return text;
}

namespace {

// One entry of the system's process list (SystemProcessInformation), as the 32-bit system
// lays it out. The list is the one place that reports another process's handle count and
// processor times under every Windows version and under Wine.
struct ProcessEntry {
    ULONG nextEntryOffset;
    ULONG threads;
    LARGE_INTEGER reserved[3];
    LARGE_INTEGER createTime;
    LARGE_INTEGER userTime;
    LARGE_INTEGER kernelTime;
    USHORT nameLength;
    USHORT nameMaximumLength;
    PWSTR name;
    LONG basePriority;
    HANDLE processId;
    HANDLE parentProcessId;
    ULONG handleCount;
    ULONG sessionId;
    ULONG_PTR pageDirectoryBase;
    SIZE_T peakVirtualSize;
    SIZE_T virtualSize;
    ULONG pageFaultCount;
    SIZE_T peakWorkingSetSize;
    SIZE_T workingSetSize;
    SIZE_T quotaPeakPagedPoolUsage;
    SIZE_T quotaPagedPoolUsage;
    SIZE_T quotaPeakNonPagedPoolUsage;
    SIZE_T quotaNonPagedPoolUsage;
    SIZE_T pagefileUsage;
};

static_assert(sizeof(void*) != 4 || offsetof(ProcessEntry, handleCount) == 0x4C);
static_assert(sizeof(void*) != 4 || offsetof(ProcessEntry, workingSetSize) == 0x68);

constexpr ULONG kSystemProcessInformation = 5;
using QuerySystemInformationFn = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);

} // namespace

bool ReadProcessStats(DWORD pid, ProcessStats& stats) {
    const auto query = reinterpret_cast<QuerySystemInformationFn>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        return false;
    }
    std::vector<BYTE> list(1 << 20);
    ULONG size = 0;
    if (query(kSystemProcessInformation, list.data(), static_cast<ULONG>(list.size()), &size) < 0) {
        return false;
    }
    for (std::size_t offset = 0; offset + sizeof(ProcessEntry) <= list.size();) {
        ProcessEntry entry;
        std::memcpy(&entry, list.data() + offset, sizeof entry);
        if (reinterpret_cast<ULONG_PTR>(entry.processId) == pid) {
            stats.handles = entry.handleCount;
            stats.workingSet = entry.workingSetSize;
            stats.privateBytes = entry.pagefileUsage;
            stats.cpuMicroseconds =
                static_cast<std::uint64_t>(entry.userTime.QuadPart + entry.kernelTime.QuadPart) /
                10;
            HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
            if (process != nullptr) {
                stats.gdiObjects = ::GetGuiResources(process, GR_GDIOBJECTS);
                stats.userObjects = ::GetGuiResources(process, GR_USEROBJECTS);
                ::CloseHandle(process);
            }
            return true;
        }
        if (entry.nextEntryOffset == 0) {
            return false;
        }
        offset += entry.nextEntryOffset;
    }
    return false;
}

bool KeepLibraryLoaded(DWORD pid, const char* library) {
    HANDLE process = ::OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                       PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                   FALSE, pid);
    if (process == nullptr) {
        return false;
    }
    bool loaded = false;
    {
        const SIZE_T size = std::strlen(library) + 1;
        RemoteBuffer name(process, size);
        // kernel32 lies at the same address in every process of a session, so the address of
        // LoadLibraryA here is its address there.
        const auto loadLibrary =
            reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(
                ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
        if (name.Valid() && name.Write(0, library, size) && loadLibrary != nullptr) {
            HANDLE thread =
                ::CreateRemoteThread(process, nullptr, 0, loadLibrary, name.At(0), 0, nullptr);
            if (thread != nullptr) {
                DWORD module = 0;
                loaded = ::WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0 &&
                         ::GetExitCodeThread(thread, &module) && module != 0;
                ::CloseHandle(thread);
            }
        }
    }
    ::CloseHandle(process);
    return loaded;
}

} // namespace drivers
