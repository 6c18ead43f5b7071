// The battery reconditioning reminder: a nickel-metal-hydride pack should be run flat and
// charged again now and then; the tray suggests it every so many charge cycles.
#include "BatteryQueries.h"
#include "CBatteryLearningDlg.h"
#include "CMainFrame.h"
#include "framework/Trace.h"
#include "logic/ReminderRules.h"
#include "logic/TrayIds.h"

namespace tray {

namespace {

constexpr int kMaxLearningChecks = 7;

} // namespace

void CMainFrame::CheckBatteryLearning() {
    ++learningCount_;
    if (learningCount_ >= kMaxLearningChecks) {
        ::KillTimer(Hwnd(), TIMER_BATTERY_LEARNING);
        learningTimer_ = 0;
    }
    BATTERY_INFORMATION information{};
    if (hardware::QueryBatteryInformation(0, information) != hardware::BatteryQuery::Succeeded) {
        framework::Trace("TvPMTray: battery check %d: no battery information.\n", learningCount_);
        return;
    }
    if (!NeedsReconditioning(std::string_view(reinterpret_cast<const char*>(information.Chemistry),
                                              sizeof information.Chemistry))) {
        return;
    }
    ::KillTimer(Hwnd(), TIMER_BATTERY_LEARNING);
    learningTimer_ = 0;
    if (!readOnly_) {
        RunReminder();
    }
}

void CMainFrame::RunReminder() {
    store::SchemeStore work;
    std::uint32_t msgFlg = kRemindEvery50;
    std::uint32_t nextCycle = 0;
    work.ReadReminder(msgFlg, nextCycle);
    const int cycle = hardware::ReadCycleCount(firmware_);
    framework::Trace("TvPMTray: reminder MsgFlg %lu, NextCycle %lu, cycle %d.\n",
                 static_cast<unsigned long>(msgFlg), static_cast<unsigned long>(nextCycle), cycle);
    switch (DecideReminder(msgFlg, nextCycle, cycle)) {
    case ReminderStep::Show: {
        CBatteryLearningDlg dialog(cycle, &CBatteryLearningDlg::WriteMachineReminder,
                                   &CBatteryLearningDlg::ShowProcedureBox);
        dialog.DoModal(Hwnd());
        break;
    }
    case ReminderStep::Reset:
        work.WriteReminder(kRemindEvery50, 0);
        break;
    case ReminderStep::Nothing:
        break;
    }
}

} // namespace tray
