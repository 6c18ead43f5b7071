#include "switcher/CUI.h"

#include <powrprof.h>

#include <span>

#include "framework/BoundedFormat.h"
#include "framework/Module.h"
#include "switcher/DebugTrace.h"
#include "switcher/SwitcherIds.h"
#include "switcher/logic/CommandGrammar.h"

namespace switcher {

namespace {

constexpr wchar_t kStartTag[] = L"CUI::InitInstance";
// How often a copy that closed the running one looks whether it has ended.
constexpr DWORD kExitPollMs = 10;

static_assert(sizeof(void*) != 4 || sizeof(WNDCLASSEXW) == 48, "the 32-bit class record");

} // namespace

CUI::CUI() : framework::Application(framework::TextKind::Wide) {
    framework::FormatInto(std::span<wchar_t>(dialogClass_), kDialogClassFormat, kApplicationName);
}

CUI::~CUI() = default;

bool CUI::InitInstance() {
    const CommandLineReading reading = ReadCommandLine(CommandLineW());

    if (!CheckPrivileges()) {
        DebugTrace(true, kStartTag, L"Run this program again with enough privileges.\n");
        return false;
    }

    wchar_t mutexName[64];
    framework::FormatInto(std::span<wchar_t>(mutexName), kMutexNameFormat, kApplicationName);
    mutex_.Reset(::CreateMutexW(nullptr, TRUE, mutexName));
    const DWORD mutexError = ::GetLastError();
    if (!mutex_) {
        DebugTrace(true, kStartTag, L"Fail to create/open mutex object.\n");
        return false;
    }

    for (const GrammarTrace& trace : reading.traces) {
        DebugTrace(true, kStartTag, trace.format, trace.token.c_str());
    }
    debug_ = reading.debug;

    // The action token only matters when another copy runs.
    if (mutexError == ERROR_ALREADY_EXISTS && !HandleRunningCopy(reading.action)) {
        return false;
    }

    if (!Application::InitInstance()) {
        return false;
    }
    gdiplus_ = framework::StartGdiplus();

    tar_ = FindSkinResource(Instance());
    skins_ = LoadSkinArchive(tar_);

    if (!RegisterDialogClass(dialogClass_)) {
        return false;
    }
    classRegistered_ = true;
    // Part of the program: without the controller library there is no battery health.
    if (!portax_.Load()) {
        return false;
    }
    dialog_ = std::make_unique<CUIDlg>(skins_, portax_, debug_);
    if (!dialog_->CreatePopup() || !::IsWindow(dialog_->Hwnd())) {
        return false;
    }
    SetMainWindow(dialog_.get());
    return true;
}

bool CUI::HandleRunningCopy(const std::wstring& action) {
    const HWND running = ::FindWindowW(dialogClass_, nullptr);
    DWORD processId = 0;
    if (running != nullptr) {
        ::GetWindowThreadProcessId(running, &processId);
    }
    framework::UniqueKernelHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (running == nullptr || !::IsWindow(running) || !process) {
        if (running == nullptr || !::IsWindow(running)) {
            DebugTrace(true, kStartTag, L"Fail to open window handle of current process, quit.\n");
        }
        if (!process) {
            DebugTrace(true, kStartTag, L"Fail to open process handle of current process, quit.\n");
        }
        return false;
    }
    switch (ClassifyAction(action)) {
    case StartAction::CloseContinue: {
        DebugTrace(true, kStartTag, L"Close current process and continue.\n");
        ::SendMessageW(running, WM_SWITCHER_CLOSE, 0, 0);
        DWORD exitCode = STILL_ACTIVE;
        while (::GetExitCodeProcess(process.Get(), &exitCode) && exitCode == STILL_ACTIVE) {
            ::Sleep(kExitPollMs);
        }
        return true;
    }
    case StartAction::Close:
        DebugTrace(true, kStartTag, L"Close current process and quit.\n");
        ::SendMessageW(running, WM_SWITCHER_CLOSE, 0, 0);
        return false;
    case StartAction::Stay:
        break;
    }
    DebugTrace(true, kStartTag, L"The same process is running, quit.\n");
    return false;
}

int CUI::ExitInstance() {
    const int result = Application::ExitInstance();
    // The popup and its bitmaps go before the library, the archive and GDI+ they depend on.
    dialog_.reset();
    portax_.Free();
    if (classRegistered_) {
        ::UnregisterClassW(dialogClass_, Instance());
        classRegistered_ = false;
    }
    skins_.Release();
    gdiplus_.Reset();
    mutex_.Reset();
    return result;
}

bool CUI::PreTranslateMessage(MSG& message) {
    if (Application::PreTranslateMessage(message)) {
        return true;
    }
    // Messages of other windows, and those of the thread itself, reach the popup too.
    const HWND popup = dialog_ ? dialog_->Hwnd() : nullptr;
    if (popup != nullptr && message.hwnd != popup && !::IsChild(popup, message.hwnd)) {
        return dialog_->PreTranslateMessage(message);
    }
    return false;
}

bool CUI::CheckPrivileges() {
    if (::PowerSettingAccessCheck(ACCESS_CREATE_SCHEME, nullptr) != ERROR_SUCCESS ||
        ::PowerSettingAccessCheck(ACCESS_ACTIVE_SCHEME, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    framework::UniqueKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, token.Put())) {
        return false;
    }
    TOKEN_PRIVILEGES shutdown{};
    shutdown.PrivilegeCount = 1;
    if (!::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &shutdown.Privileges[0].Luid)) {
        return false;
    }
    // Enabled for the rest of the run: Restart and Shut Down need it. For a privilege the token
    // does not hold the call still succeeds; only ERROR_NOT_ALL_ASSIGNED tells.
    shutdown.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::SetLastError(ERROR_SUCCESS);
    const BOOL adjusted =
        ::AdjustTokenPrivileges(token.Get(), FALSE, &shutdown, 0, nullptr, nullptr);
    const DWORD error = ::GetLastError();
    if (!adjusted || error == ERROR_NOT_ALL_ASSIGNED) {
        DebugTrace(true, L"CUI::CheckPrivileges",
                   L"AdjustTokenPrivileges SeShutdownPrivilege failed, error %lu.\n", error);
        return false;
    }
    return true;
}

bool CUI::RegisterDialogClass(const wchar_t* className) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    // WC_DIALOG (atom 0x8002): the popup behaves as any dialog, under a name a second copy
    // can find.
    if (!::GetClassInfoExW(nullptr, MAKEINTRESOURCEW(0x8002), &windowClass)) {
        return false;
    }
    windowClass.lpszClassName = className;
    // Registered for this program, where the dialog template and UnregisterClassW look.
    windowClass.hInstance = framework::ModuleInstance();
    return ::RegisterClassExW(&windowClass) != 0;
}

} // namespace switcher
