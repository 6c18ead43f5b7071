#include "CVumoApp.h"

#include "CPMDlg.h"
#include "applet/res/resource.h"

namespace applet {

bool CVumoApp::OnInit() {
    // CPL_INIT may come more than once in a session; there is still one item.
    if (Count() == 0) {
        AddApplet(std::make_unique<CCPApplet>(
            *this, [] { return std::make_unique<CPMDlg>(); }, true, IDS_APPLET_ITEM));
    }
    return Count() != 0;
}

} // namespace applet
