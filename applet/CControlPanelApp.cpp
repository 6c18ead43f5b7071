#include "CControlPanelApp.h"

#include <commctrl.h>

#include "applet/controls/HelpPopup.h"
#include "applet/logic/CplTable.h"

namespace applet {

CControlPanelApp::CControlPanelApp() : Application(framework::TextKind::Narrow) {}

CControlPanelApp::~CControlPanelApp() {
    // The items go before the application they point to.
    applets_.clear();
}

bool CControlPanelApp::OnInit() {
    return !applets_.empty();
}

LONG_PTR CControlPanelApp::OnExit() {
    return 0;
}

void CControlPanelApp::AddApplet(std::unique_ptr<CCPApplet> applet) {
    if (applet) {
        applets_.push_back(std::move(applet));
    }
}

CCPApplet* CControlPanelApp::Applet(LPARAM index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= applets_.size()) {
        return nullptr;
    }
    return applets_[static_cast<std::size_t>(index)].get();
}

LONG_PTR CControlPanelApp::OnCplMsg(HWND hwndCPl, UINT message, LPARAM lParam1, LPARAM lParam2) {
    const CplStep step = ClassifyCplMessage(message);
    // An item number the shell should not send gets the answer of a failed step, not a crash.
    CCPApplet* applet = Applet(lParam1);
    long value = 0;
    switch (step) {
    case CplStep::Init: {
        // The dialogs use tabs, track bars, progress bars, extended combo boxes, list views
        // and tooltips.
        INITCOMMONCONTROLSEX controls{sizeof(controls),
                                      ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                          ICC_USEREX_CLASSES | ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        value = OnInit() ? 1 : 0;
        break;
    }
    case CplStep::GetCount:
        value = Count();
        break;
    case CplStep::Exit:
        value = static_cast<long>(OnExit());
        ReleaseHelpEngine();
        break;
    case CplStep::Inquire:
        if (applet != nullptr) {
            applet->OnInquire(reinterpret_cast<CPLINFO*>(lParam2));
        }
        break;
    case CplStep::NewInquire:
        if (applet != nullptr) {
            applet->OnNewInquire(reinterpret_cast<NEWCPLINFOA*>(lParam2));
        }
        break;
    case CplStep::Select:
        if (applet != nullptr) {
            applet->OnSelect();
        }
        break;
    case CplStep::DoubleClick:
        value = applet != nullptr && applet->OnRun(hwndCPl, nullptr) ? 1 : 0;
        break;
    case CplStep::Stop:
        if (applet != nullptr) {
            applet->OnStop();
        }
        break;
    case CplStep::StartWithParams:
        if (applet != nullptr) {
            applet->OnRun(hwndCPl, reinterpret_cast<const char*>(lParam2));
        }
        break;
    case CplStep::StartWithParamsWide:
    case CplStep::Other:
        break;
    }
    return CplResult(step, value);
}

} // namespace applet
