#include "tray/reminder/BatteryReminder.h"

#include "BatteryQueries.h"
#include "tray/reminder/CBatteryLearningDlg.h"
#include "SchemeStore.h"
#include "framework/Trace.h"
#include "tray/logic/ReminderRules.h"

namespace tray {

namespace {

constexpr int kMaxLearningChecks = 7;

} // namespace

LearningCheck BatteryReminder::Check(bool readOnly) {
    if (done_) {
        return LearningCheck::Done;
    }
    ++checks_;
    done_ = checks_ >= kMaxLearningChecks;
    const LearningCheck otherwise = done_ ? LearningCheck::Done : LearningCheck::Again;
    BATTERY_INFORMATION information{};
    if (hardware::QueryBatteryInformation(0, information) != hardware::BatteryQuery::Succeeded) {
        framework::Trace("TvPMTray: battery check %d: no battery information.\n", checks_);
        return otherwise;
    }
    if (!NeedsReconditioning(std::string_view(reinterpret_cast<const char*>(information.Chemistry),
                                              sizeof information.Chemistry))) {
        return otherwise;
    }
    done_ = true;
    return readOnly ? LearningCheck::Done : LearningCheck::Remind;
}

void BatteryReminder::Remind(HWND owner) {
    store::SchemeStore work;
    std::uint32_t msgFlg = kRemindEvery50;
    std::uint32_t nextCycle = 0;
    work.ReadReminder(msgFlg, nextCycle);
    const int cycle = hardware::ReadCycleCount(firmware_);
    framework::Trace("TvPMTray: reminder MsgFlg %lu, NextCycle %lu, cycle %d.\n",
                     static_cast<unsigned long>(msgFlg), static_cast<unsigned long>(nextCycle),
                     cycle);
    switch (DecideReminder(msgFlg, nextCycle, cycle)) {
    case ReminderStep::Show: {
        CBatteryLearningDlg dialog(cycle, &CBatteryLearningDlg::WriteMachineReminder,
                                   &CBatteryLearningDlg::ShowProcedureBox);
        dialog.DoModal(owner);
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
