// The tray program's application object: the start-up checks, the removal run of "Close",
// the frame window, and the About command.
#pragma once

#include <memory>

#include "tray/CMainFrame.h"
#include "tray/libraries/KeyboardHookLib.h"
#include "NotebookPolicy.h"
#include "framework/Application.h"

namespace tray {

class CTrayApp : public framework::Application {
public:
    // The hot-key library is loaded before the application object and outlives it.
    explicit CTrayApp(KeyboardHookLib& keyboardHook);
    ~CTrayApp() override;

    bool InitInstance() override;
    int ExitInstance() override;
    bool OnCommand(UINT id) override;

private:
    // The start after the command line has chosen the tray: libraries, notebook policy,
    // "Initial", single instance, window class, frame.
    bool StartTray();
    bool RegisterFrameClass();

    KeyboardHookLib& keyboardHook_;
    // The process-wide copy of the notebook policy, read by the frame and the About box.
    hardware::NotebookPolicy policy_;
    std::unique_ptr<CMainFrame> frame_;
    bool classRegistered_ = false;
    bool started_ = false;
    // Exit code when the tray did not start: a failed start is 1; the removal run and a
    // second copy that leaves the first alone did what they should, 0.
    int notStartedCode_ = kInitFailed;
};

} // namespace tray
