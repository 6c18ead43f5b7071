#include "CAboutDlg.h"

#include "AppletPolicy.h"
#include "applet/res/resource.h"
#include "framework/WindowText.h"

namespace applet {

CAboutDlg::CAboutDlg() : Dialog(IDD_ABOUT, framework::TextKind::Narrow) {}

bool CAboutDlg::OnInitDialog() {
    ::SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE,
                        ::GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    const HWND version = Item(IDC_ABOUT_VERSION);
    framework::SetWindowText(version,
                             framework::WindowText(version) + AppletPolicy().VersionText());
    return true;
}

} // namespace applet
