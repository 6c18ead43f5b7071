// "Battery Learning Dialog": recommends reconditioning the battery and stores when to ask
// again. It can only be answered, never dismissed with Escape.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/Dialog.h"

namespace tray {

class CBatteryLearningDlg : public framework::Dialog {
public:
    // Stores MsgFlg and NextCycle; the program writes them to the machine's reminder values.
    using ReminderWriter = std::function<void(std::uint32_t msgFlg, std::uint32_t nextCycle)>;
    // Shows the procedure after "Yes"; the program uses a message box.
    using ProcedureViewer = std::function<void(HWND dialog)>;

    CBatteryLearningDlg(int cycle, ReminderWriter writeReminder, ProcedureViewer showProcedure);

    int Cycle() const { return cycle_; }
    std::uint32_t Next() const { return next_; }

    // The reminder store and the message box with strings 147 and 148.
    static void WriteMachineReminder(std::uint32_t msgFlg, std::uint32_t nextCycle);
    static void ShowProcedureBox(HWND dialog);

protected:
    bool OnInitDialog() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void Answer(bool showProcedure);

    int cycle_;
    std::uint32_t next_ = 0;
    ReminderWriter writeReminder_;
    ProcedureViewer showProcedure_;
};

} // namespace tray
