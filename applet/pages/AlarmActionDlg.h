// The Alarm action dialog: how an alarm notifies (sound, message) and what the computer does.
// "None" is never offered; no action is chosen by clearing the action box.
#pragma once

#include <cstdint>

#include "applet/controls/ActionComboBox.h"
#include "framework/Dialog.h"

namespace applet {

class AlarmActionDlg : public framework::Dialog {
public:
    AlarmActionDlg(std::uint32_t action, std::uint32_t notify, bool hibernateEnabled);

    std::uint32_t Action() const { return action_; }
    std::uint32_t Notify() const { return notify_; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnHelp(const HELPINFO& help) override;

private:
    std::uint32_t action_;
    std::uint32_t notify_;
    bool hibernateEnabled_;
    ActionComboBox combo_;
};

} // namespace applet
