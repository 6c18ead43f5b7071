// The start shared by the tray program and the applet: bind the installer and policy
// libraries, load the notebook policy, and run the installer's "Initial".
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "InstallerLibrary.h"
#include "MessageBoxes.h"
#include "NotebookPolicy.h"
#include "PolicyLibrary.h"

namespace hardware {

// Both libraries, kept loaded until the caller's start is over: the tray program drops them
// once its window exists, the applet after its main dialog has closed.
struct SiblingLibraries {
    InstallerLibrary installer;
    PolicyLibrary policy;
};

struct StartOptions {
    // The program's own first check: the applet's right to write power schemes, the tray's
    // keyboard library. It shows its own box through the one it is given and answers false
    // to stop the start. Empty: no check.
    std::function<bool(const MessageBoxFn& box)> firstCheck;
    // The installer library when the caller loaded it itself before its first check (the tray
    // loads it before it reads its command line); it is taken over. Null: loaded here.
    InstallerLibrary* installer = nullptr;
    const char* installerLibrary = kInstallerLibraryName;
    const char* policyLibrary = kPolicyLibraryName;
    MessageBoxFn messageBox = ShowMessageBox;
};

// Runs the start. On success the record is copied into policyCopy, "Initial" has been called
// and the loaded libraries are returned; otherwise a box has been shown and nothing is
// returned (policyCopy is left as it was).
std::unique_ptr<SiblingLibraries> RunStartSequence(NotebookPolicy& policyCopy,
                                                   const StartOptions& options = {});

// The applet's first check: the refusal box ("Power Management", warning icon, topmost) when
// the user may not write power schemes. `text` is the applet's string 146.
bool RequireSchemeWriteRights(bool canWrite, const char* text, const MessageBoxFn& box);

// The tray's first check: the system's text for the keyboard library's load error.
bool RequireLibraryLoaded(bool loaded, DWORD loadError, const MessageBoxFn& box);

} // namespace hardware
