#include "CCPApplet.h"

#include <cstring>

#include "applet/logic/CplTable.h"
#include "applet/logic/TextCut.h"
#include "framework/Module.h"
#include "framework/Trace.h"
#include "framework/WindowText.h"

namespace applet {

static_assert(sizeof(NEWCPLINFOA::szName) == kCplNameSize);
static_assert(sizeof(NEWCPLINFOA::szInfo) == kCplInfoSize);
static_assert(sizeof(NEWCPLINFOA::szHelpFile) == kCplHelpFileSize);

namespace {

// The field's size in bytes of the system code page, never splitting a double-byte character.
template <std::size_t N>
void CopyText(char (&field)[N], const std::string& text) {
    const std::string cut =
        CutToBytes(text, N - 1, [](unsigned char c) { return ::IsDBCSLeadByte(c) != 0; });
    std::memcpy(field, cut.data(), cut.size());
    field[cut.size()] = '\0';
}

} // namespace

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
    info->hIcon =
        static_cast<HICON>(::LoadImageA(framework::ModuleInstance(), MAKEINTRESOURCEA(resourceId_),
                                        IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    const CplTexts texts = SplitCplTexts(framework::LoadText(resourceId_));
    CopyText(info->szName, texts.name);
    CopyText(info->szInfo, texts.info);
    CopyText(info->szHelpFile, texts.helpFile);
    return 0;
}

LONG_PTR CCPApplet::OnSelect() {
    return 0;
}

LONG_PTR CCPApplet::OnStop() {
    return 0;
}

} // namespace applet
