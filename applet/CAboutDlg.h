// The About box: the utility's name with the notebook policy's version text.
#pragma once

#include "framework/Dialog.h"

namespace applet {

class CAboutDlg : public framework::Dialog {
public:
    CAboutDlg();

protected:
    bool OnInitDialog() override;
};

} // namespace applet
