#include "StartSequence.h"

#include <utility>

namespace hardware {

std::unique_ptr<SiblingLibraries> RunStartSequence(NotebookPolicy& policyCopy,
                                                   const StartOptions& options) {
    if (options.firstCheck && !options.firstCheck(options.messageBox)) {
        return nullptr;
    }

    InstallerLibrary installer = options.installer != nullptr
                                     ? std::move(*options.installer)
                                     : InstallerLibrary(options.installerLibrary);
    if (!installer.Loaded()) {
        ShowSystemErrorWith(options.messageBox, installer.LastError(), kUtilityCaption,
                            kLoadErrorStyle);
        return nullptr;
    }

    PolicyLibrary policy(options.policyLibrary);
    if (!policy.Loaded()) {
        ShowSystemErrorWith(options.messageBox, policy.LastError(), kUtilityCaption,
                            kLoadErrorStyle);
        return nullptr;
    }

    if (policy.LoadPolicy() == 0) {
        if (options.messageBox) {
            options.messageBox(kPolicyLoadFailText, kPowerManagementCaption, kRefusalStyle);
        }
        return nullptr;
    }
    policyCopy = policy.Policy();

    // The result of "Initial" carries nothing; both programs go on whatever it says.
    installer.CallInitial();
    return std::make_unique<SiblingLibraries>(
        SiblingLibraries{std::move(installer), std::move(policy)});
}

bool RequireSchemeWriteRights(bool canWrite, const char* text, const MessageBoxFn& box) {
    if (canWrite) {
        return true;
    }
    if (box) {
        box(text != nullptr ? text : kAdminRightsText, kPowerManagementCaption, kRefusalStyle);
    }
    return false;
}

bool RequireLibraryLoaded(bool loaded, DWORD loadError, const MessageBoxFn& box) {
    if (loaded) {
        return true;
    }
    ShowSystemErrorWith(box, loadError, kUtilityCaption, kLoadErrorStyle);
    return false;
}

} // namespace hardware
