#include "CCPApplet.h"

#include <cstring>

#include "applet/logic/CplTable.h"
#include "framework/IconLoad.h"
#include "framework/Module.h"
#include "framework/TextCut.h"
#include "framework/Trace.h"
#include "framework/WindowText.h"

namespace applet {

static_assert(sizeof(NEWCPLINFOA::szName) == kCplNameSize);
static_assert(sizeof(NEWCPLINFOA::szInfo) == kCplInfoSize);
static_assert(sizeof(NEWCPLINFOA::szHelpFile) == kCplHelpFileSize);

CCPApplet::CCPApplet(CControlPanelApp& app, DialogFactory dialogClass, bool dynamic,
                     UINT resourceId)
    : app_(app), dialogClass_(std::move(dialogClass)), dynamic_(dynamic), resourceId_(resourceId) {}

bool CCPApplet::OnRun(HWND parent, const char*) {
    std::unique_ptr<framework::Dialog> dialog = dialogClass_ ? dialogClass_() : nullptr;
    if (!dialog) {
        framework::Trace("Vumo: the dialog of item %u could not be made\n", resourceId_);
        return false;
    }
    dialog->DoModal(parent);
    return true;
}

LONG_PTR CCPApplet::OnInquire(CPLINFO* info) {
    if (dynamic_ || info == nullptr) {
        return 1;
    }
    info->idIcon = static_cast<int>(resourceId_);
    info->idName = static_cast<int>(resourceId_);
    info->idInfo = static_cast<int>(resourceId_);
    info->lData = reinterpret_cast<LONG_PTR>(this);
    return 0;
}

LONG_PTR CCPApplet::OnNewInquire(NEWCPLINFOA* info) {
    if (info == nullptr) {
        return 0;
    }
    info->dwSize = sizeof(NEWCPLINFOA);
    info->dwFlags = 0;
    info->dwHelpContext = 0;
    info->lData = reinterpret_cast<LONG_PTR>(this);
    info->hIcon = framework::LoadIconAtSize(framework::ModuleInstance(), resourceId_,
                                            framework::LargeIconSize())
                      .Release();
    const CplTexts texts =
        SplitCplTexts(framework::LoadText(resourceId_), framework::IsAnsiLeadByte);
    framework::CopyToField(info->szName, texts.name, framework::IsAnsiLeadByte);
    framework::CopyToField(info->szInfo, texts.info, framework::IsAnsiLeadByte);
    framework::CopyToField(info->szHelpFile, texts.helpFile, framework::IsAnsiLeadByte);
    return 0;
}

LONG_PTR CCPApplet::OnSelect() {
    return 0;
}

LONG_PTR CCPApplet::OnStop() {
    return 0;
}

} // namespace applet
