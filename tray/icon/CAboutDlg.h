// The About box: the version line of the string table followed by the notebook's own version
// text from the policy record.
#pragma once

#include <string>

#include "framework/Dialog.h"

namespace tray {

class CAboutDlg : public framework::Dialog {
public:
    explicit CAboutDlg(std::string versionText);

protected:
    bool OnInitDialog() override;

private:
    std::string versionText_;
};

} // namespace tray
