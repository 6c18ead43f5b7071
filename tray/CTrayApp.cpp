#include "tray/CTrayApp.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "tray/icon/CAboutDlg.h"
#include "InstallerLibrary.h"
#include "MessageBoxes.h"
#include "tray/scheme/RemovalRun.h"
#include "tray/ResourceText.h"
#include "StartSequence.h"
#include "framework/Trace.h"
#include "tray/logic/CommandWord.h"
#include "tray/logic/TrayIds.h"
#include "tray/resource.h"

namespace tray {

namespace {

constexpr UINT kFrameClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
static_assert(kFrameClassStyle == 11);

// The frame's title is the first field of the frame's string.
std::string FrameTitle() {
    const std::string text = LoadResourceText(IDR_MAINFRAME);
    return text.substr(0, text.find('\n'));
}

} // namespace

CTrayApp::CTrayApp(KeyboardHookLib& keyboardHook)
    : Application(framework::TextKind::Narrow), keyboardHook_(keyboardHook) {}

CTrayApp::~CTrayApp() = default;

bool CTrayApp::InitInstance() {
    // The run-time library's split of the command line, as the framework's parse takes it.
    std::vector<const char*> parameters;
    if (__argv != nullptr && __argc > 1) {
        parameters.assign(__argv + 1, __argv + __argc);
    }
    const std::string first = FirstPlainParameter(parameters);

    // Loaded before the command line is acted on, as every start does.
    hardware::InstallerLibrary installer;
    if (IsRemovalRun(first)) {
        RunRemoval();
        notStartedCode_ = 0;
        return false;
    }
    // The start shared with the applet: the keyboard library first, then both sibling
    // libraries, the policy record and "Initial". Every start installs what is missing, also
    // one that finds the tray already running.
    hardware::StartOptions options;
    options.firstCheck = [this](const hardware::MessageBoxFn& box) {
        return hardware::RequireLibraryLoaded(keyboardHook_.Loaded(), keyboardHook_.LoadError(),
                                              box);
    };
    options.installer = &installer;
    const auto libraries = hardware::RunStartSequence(policy_, options);
    if (!libraries) {
        return false;
    }
    if (::FindWindowA(kFrameClassName, nullptr) != nullptr) {
        framework::Trace("TvPMTray: already running.\n");
        notStartedCode_ = 0;
        return false;
    }
    // Both libraries are released when this returns: they are needed only to start.
    return StartTray();
}

bool CTrayApp::StartTray() {
    if (!RegisterFrameClass()) {
        framework::Trace("TvPMTray: RegisterClass failed, error %lu.\n", ::GetLastError());
        return false;
    }
    auto frame = std::make_unique<CMainFrame>(policy_, keyboardHook_);
    if (!frame->CreateFrame(FrameTitle().c_str())) {
        return false;
    }
    frame_ = std::move(frame);
    SetMainWindow(frame_.get());
    ::ShowWindow(frame_->Hwnd(), SW_HIDE);
    ::UpdateWindow(frame_->Hwnd());
    started_ = true;
    return true;
}

bool CTrayApp::RegisterFrameClass() {
    WNDCLASSA wc{};
    wc.style = kFrameClassStyle;
    // The framework takes the window over when it is created.
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = Instance();
    wc.hIcon = ::LoadIconA(Instance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = kFrameClassName;
    classRegistered_ = ::RegisterClassA(&wc) != 0;
    return classRegistered_;
}

int CTrayApp::ExitInstance() {
    // The window is gone by now; this deletes the object and the linked schemes with it.
    frame_.reset();
    if (classRegistered_) {
        ::UnregisterClassA(kFrameClassName, Instance());
        classRegistered_ = false;
    }
    return started_ ? ExitCode() : notStartedCode_;
}

bool CTrayApp::OnCommand(UINT id) {
    if (id != ID_APP_ABOUT) {
        return false;
    }
    CAboutDlg about(policy_.VersionText());
    about.DoModal(MainWindow() != nullptr ? MainWindow()->Hwnd() : nullptr);
    return true;
}

} // namespace tray
