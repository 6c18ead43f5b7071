// The Advanced page: the tray icon, the password on resume, hibernate support, the actions
// of the power button, the lid and the sleep button, and the cooling method. It also owns the
// check that the Windows drive can hold a hibernation file.
#pragma once

#include "applet/controls/ActionComboBox.h"
#include "framework/Dialog.h"
#include "hardware/MessageBoxes.h"
#include "store/GlobalPowerSettings.h"

namespace applet {

// Free space on the Windows drive, in units of 1000 KB, at least the memory size.
bool CheckHibernateDiskSpace();

class AdvancedPage : public framework::Dialog {
public:
    AdvancedPage();

    void SetSettings(store::GlobalPowerSettings* settings) { settings_ = settings; }
    // Shows the hibernate box only when the machine can hibernate.
    void SetHibernateSupported(bool supported);
    void SetHibernate(bool enabled);
    // Sets the box; refuses with message 1204 when the system does not allow hibernation and
    // the drive cannot hold its file.
    void SetHibernateBox(bool checked);
    void Load();
    void Save();
    // Where message 1204 goes (tests); by default a message box owned by the page.
    void SetMessageBox(hardware::MessageBoxFn box) { messageBox_ = std::move(box); }

    bool PreTranslateMessage(MSG& message) override;

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnHelp(const HELPINFO& help) override;

private:
    void OnHibernateClicked();

    store::GlobalPowerSettings* settings_ = nullptr;
    bool hibernateSupported_ = true;
    ActionComboBox powerButton_;
    ActionComboBox lid_;
    ActionComboBox sleepButton_;
    framework::Window cooling_;
    hardware::MessageBoxFn messageBox_;
};

} // namespace applet
