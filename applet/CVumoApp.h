// The applet's application object: one item, "Power Management", that opens CPMDlg.
#pragma once

#include "CControlPanelApp.h"

namespace applet {

class CVumoApp : public CControlPanelApp {
public:
    bool OnInit() override;
};

} // namespace applet
